#include "compiler/diagnostics.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <random>
#include <set>
#include <vector>

#include "compiler/warnings.h"

namespace compactor {
namespace {

TEST(ShowSource, ControlBytesAreEscapedAndTheCaretStaysUnderItsField) {
  struct Case {
    std::string line;
    int column;
    std::string shown;
    std::string caret;
  };
  const Case cases[] = {
      {"stazione,   6800, 300,  500", 19, "stazione,   6800, 300,  500", "                  ^~~"},
      // An escape sequence is shown, never sent: ESC is four columns wide.
      {"a\x1b[2J, 5", 1, "a\\x1b[2J, 5", "^~~~~~~~"},
      {"x\x1b, 12", 5, "x\\x1b, 12", "       ^~"},
      // Tabs stay tabs in both lines; Windows-1252 bytes show as their characters.
      {"\t\xB0 x,\t  9", 9, "\t\xC2\xB0 x,\t  9", "\t    \t  ^"},
      // The five bytes without a character, and DEL, are escaped too.
      {"\x81\x7F", 2, "\\x81\\x7f", "    ^~~~"},
      // A caret past the end of the line (the text ended where a field was expected).
      {"ab", 5, "ab", "    ^"},
  };
  for (const Case& c : cases) {
    const ShownSource s = show_source(c.line, c.column);
    EXPECT_EQ(s.line, c.shown) << c.line;
    EXPECT_EQ(s.caret, c.caret) << c.line;
  }
}

TEST(ShowSource, LongLineIsCutToAWindowAroundTheCaret) {
  const std::string ellipsis = "\xE2\x80\xA6";
  // A 5 MB number field: the window starts at the field and ends with an ellipsis.
  const std::string huge = "segnale, " + std::string(5'000'000, '7');
  ShownSource s = show_source(huge, 10);
  EXPECT_EQ(s.line, "segnale, " + std::string(111, '7') + ellipsis);
  EXPECT_EQ(s.caret, "         ^" + std::string(110, '~'));

  // A caret deep inside: 40 columns before it, the rest after, both ends cut.
  const std::string line = std::string(1000, 'a') + ",b," + std::string(1000, 'c');
  s = show_source(line, 1002);
  EXPECT_EQ(s.line, ellipsis + std::string(39, 'a') + ",b," + std::string(78, 'c') + ellipsis);
  EXPECT_EQ(s.caret, std::string(41, ' ') + "^");

  // Near the end of a long line the unused room goes to the left.
  s = show_source(line, 2003);
  EXPECT_EQ(s.line, ellipsis + std::string(120, 'c'));
  EXPECT_EQ(s.caret, std::string(120, ' ') + "^");
}

TEST(ShowSource, WindowCountsEscapedBytesAtTheirWidth) {
  const std::string noise(1000, '\x01');
  const ShownSource s = show_source(noise, 1);
  std::string expected;
  for (int i = 0; i < 30; ++i) expected += "\\x01";
  EXPECT_EQ(s.line, expected + "\xE2\x80\xA6");
  EXPECT_EQ(s.caret, "^" + std::string(119, '~'));
}

TEST(QuoteField, FieldIsQuotedEscapedAndCut) {
  EXPECT_EQ(quote_field("ventimila"), "'ventimila'");
  EXPECT_EQ(quote_field("\tx\x1b"), "'\\x09x\\x1b'");
  EXPECT_EQ(quote_field("CITT\xC0"), "'CITT\xC3\x80'");
  EXPECT_EQ(quote_field(std::string(5'000'000, '9')), "'" + std::string(40, '9') + "\xE2\x80\xA6'");
}

TEST(Printable, ControlCharactersOfFileNamesAreEscaped) {
  EXPECT_EQ(printable("a\x1b[31mb.txt"), "a\\x1b[31mb.txt");
  EXPECT_EQ(printable("citt\xC3\xA0.txt"), "citt\xC3\xA0.txt");
  EXPECT_EQ(printable("x\xC2\x9B"
                      "1m"),
            "x\\xc2\\x9b1m");  // U+009B, the one-byte CSI
}

TEST(NearestWord, SuggestsTheKeywordWithinAFewEdits) {
  constexpr std::string_view keywords[] = {"stazione", "segnale", "sabbia", "rallentamento"};
  EXPECT_EQ(nearest_word("stazone", keywords), "stazione");
  EXPECT_EQ(nearest_word("segnal", keywords), "segnale");
  EXPECT_EQ(nearest_word("SEGNALE", keywords), "segnale");
  EXPECT_EQ(nearest_word("rallentamneto", keywords), "rallentamento");
  EXPECT_EQ(nearest_word("orologgio", keywords), "");
  EXPECT_EQ(nearest_word("xyz", keywords), "");
}

// The plain distance, every cell computed, to hold the pruned search to.
size_t full_distance(std::string_view a, std::string_view b) {
  auto lower = [](char ch) { return static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch); };
  std::vector<std::vector<size_t>> d(a.size() + 1, std::vector<size_t>(b.size() + 1));
  for (size_t i = 0; i <= a.size(); ++i) d[i][0] = i;
  for (size_t j = 0; j <= b.size(); ++j) d[0][j] = j;
  for (size_t i = 1; i <= a.size(); ++i)
    for (size_t j = 1; j <= b.size(); ++j)
      d[i][j] = std::min({d[i - 1][j] + 1, d[i][j - 1] + 1,
                          d[i - 1][j - 1] + (lower(a[i - 1]) == lower(b[j - 1]) ? 0 : 1)});
  return d[a.size()][b.size()];
}

TEST(NearestWord, PruningNeverChangesTheSuggestion) {
  constexpr std::string_view keywords[] = {"stazione", "segnale", "sabbia", "rallentamento", "curva",
                                           "fine rallentamento", "ab", "inizio"};
  // Every word within two edits of a keyword, and words of every length, against the
  // first nearest candidate found by the full table.
  std::vector<std::string> words{"", "a", "x", "stazionestazione", std::string(300, 's'), "CURVA", "cruva"};
  for (std::string_view k : keywords) {
    for (size_t i = 0; i < k.size(); ++i) {
      std::string dropped(k);
      dropped.erase(i, 1);
      words.push_back(dropped);
      std::string changed(k);
      changed[i] = 'q';
      words.push_back(changed);
      words.push_back(changed + "zz");
      words.push_back("z" + dropped);
    }
  }
  // And a few hundred words one to three random edits away, case changed here and there.
  std::mt19937 random(7);
  for (std::string_view k : keywords) {
    for (int n = 0; n < 40; ++n) {
      std::string w(k);
      for (int edits = 1 + n % 3; edits > 0; --edits) {
        const size_t at = w.empty() ? 0 : random() % w.size();
        switch (random() % 4) {
          case 0: w.insert(at, 1, static_cast<char>('a' + random() % 26)); break;
          case 1: if (!w.empty()) w.erase(at, 1); break;
          case 2: if (!w.empty()) w[at] = static_cast<char>('a' + random() % 26); break;
          default: if (!w.empty()) w[at] = static_cast<char>(std::toupper(static_cast<unsigned char>(w[at])));
        }
      }
      words.push_back(w);
    }
  }
  for (const std::string& w : words) {
    std::string expected;
    size_t best = SIZE_MAX;
    for (std::string_view k : keywords) {
      const size_t d = full_distance(w, k);
      if (d < best && d <= std::max<size_t>(1, k.size() / 4)) {
        best = d;
        expected = std::string(k);
      }
    }
    EXPECT_EQ(nearest_word(w, keywords), expected) << w;
  }
}

TEST(DiagnosticPrinter, WarningWithNoteShowsBothSourceLines) {
  const std::string line = "[generale]\r\nlunghezza percorso,    20000\r\n";
  const std::string train = "[generale]\r\nsegnale,   24600,   1, 5, 6,  0, 0,    0,  0,0,0, 0\r\n";
  const DiagnosticPrinter printer("L.txt", line, "T.txt", train);
  const DescriptionSources& sources = printer.sources();
  Diagnostic d;
  d.severity = Severity::warning;
  d.place = sources.place(SourcePlace{Description::train, 2, 12});
  d.message = msg(MessageId::text, "beyond");
  d.warning = "beyond-line";
  d.notes = {note(msg(MessageId::text, "the length, read here"),
                  sources.place(SourcePlace{Description::line, 2, 24}))};
  EXPECT_EQ(printer.format(d),
            "T.txt:2:12: warning: beyond [-Wbeyond-line]\n"
            "segnale,   24600,   1, 5, 6,  0, 0,    0,  0,0,0, 0\n"
            "           ^~~~~\n"
            "note: the length, read here: L.txt:2:24\n"
            "lunghezza percorso,    20000\n"
            "                       ^~~~~\n");
  EXPECT_EQ(printer.format(d, true).substr(0, 42), "T.txt:2:12: error: beyond [-Werror,-Wbeyon");
  // A file as a whole, and a description that is not there: no source line.
  const DiagnosticPrinter bare("L.txt", std::nullopt, "T\x1b.txt", std::nullopt);
  EXPECT_EQ(bare.format(error_at("fault-8", bare.sources().place(SourcePlace{Description::train, 3, 1}),
                                 msg(MessageId::text, "fault 8"))),
            "T\\x1b.txt:3:1: error: fault 8\n");
}

TEST(Warnings, EveryWarningHasAUniqueNameAndAMeaning) {
  const std::set<std::string_view> expected = {
      "unknown-keyword",  "unknown-section", "not-a-number", "run-on-record",       "extra-fields",
      "rounded-position", "line-length",     "beyond-line",  "tab-separator",       "utf8-input",
      "conflict",         "comment-comma",   "timetable",    "timetable-order",     "timetable-clock",
      "speed-zero",       "time-of-day",     "braking",      "timetable-realistic", "gradient-range"};
  std::set<std::string_view> names;
  for (const WarningKind& w : all_warnings()) {
    EXPECT_TRUE(names.insert(w.name).second) << w.name;
    EXPECT_FALSE(message_text(w.meaning, Language::en).empty()) << w.name;
    EXPECT_TRUE(is_warning_name(w.name));
  }
  EXPECT_EQ(names, expected);
  EXPECT_FALSE(is_warning_name("error"));
}

TEST(Utf8InputWarning, ValidUtf8WithNonAsciiIsNamedAtItsFirstCharacter) {
  const std::string text = "[generale]\r\nstazione, 0, CITT\xC3\x80\r\n";
  const DescriptionSources sources("L.txt", std::nullopt, "T.txt", text);
  const auto w = utf8_input_warning(Description::train, text, sources);
  ASSERT_TRUE(w);
  EXPECT_EQ(w->place, (Place{"T.txt", 2, 18, 2, 20}));
  EXPECT_EQ(render(w->message, Language::en),
            "the file is valid UTF-8, read as Windows-1252: '\xC3\x80' reads as '\xC3\x83\xE2\x82\xAC'; give "
            "--input-encoding utf-8 to read it as UTF-8");
  EXPECT_FALSE(utf8_input_warning(Description::line, "plain ASCII\r\n", sources));
  EXPECT_FALSE(utf8_input_warning(Description::line, "CITT\xC0\r\n", sources));  // Windows-1252, not UTF-8
}

}  // namespace
}  // namespace compactor
