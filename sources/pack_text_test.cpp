#include "sources/pack_text.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "documents/notes.h"
#include "documents/slowdown_form.h"
#include "documents/train_card.h"
#include "sources/line_content.h"
#include "sources/memory_sink.h"
#include "sources/text_writer.h"
#include "sources/train_content.h"

namespace compactor {
namespace {

// A problem as its English text reads.
struct Problem {
  int line;
  int column;
  std::string message;
  bool operator==(const Problem&) const = default;
};
std::vector<Problem> in_english(const std::vector<TextProblem>& problems) {
  std::vector<Problem> out;
  for (const TextProblem& p : problems) out.push_back({p.line, p.column, render(p.message, Language::en)});
  return out;
}

struct DecodeCase {
  const char* label;
  std::string bytes;
  TextEncoding encoding;
  std::vector<std::string> lines;
  std::vector<Problem> problems;
};

void PrintTo(const DecodeCase& c, std::ostream* os) { *os << c.label; }

class DecodePackText : public ::testing::TestWithParam<DecodeCase> {};

TEST_P(DecodePackText, GivesTheLinesAndEveryProblem) {
  const DecodeCase& c = GetParam();
  const DecodedText text = decode_pack_text(c.bytes, c.encoding);
  EXPECT_EQ(text.lines, c.lines);
  EXPECT_EQ(in_english(text.problems), c.problems);
}

const TextEncoding utf8 = TextEncoding::utf8, cp1252 = TextEncoding::windows1252;

INSTANTIATE_TEST_SUITE_P(
    Texts, DecodePackText,
    ::testing::Values(
        DecodeCase{"empty", "", utf8, {}, {}},
        DecodeCase{"lf_and_crlf_and_no_last_line_end", "a\nb\r\n\n c ", utf8, {"a", "b", "", " c "}, {}},
        DecodeCase{"one_final_line_end_adds_no_line", "a\n", utf8, {"a"}, {}},
        DecodeCase{"bom_dropped_in_utf8", "\xEF\xBB\xBFx\n", utf8, {"x"}, {}},
        DecodeCase{"bom_kept_as_letters_in_windows_1252",
                   "\xEF\xBB\xBFx",
                   cp1252,
                   {"\xC3\xAF\xC2\xBB\xC2\xBFx"},
                   {}},
        DecodeCase{"accents_and_tab_pass",
                   "4\xC2\xB0 binario\tcitt\xC3\xA0",
                   utf8,
                   {"4\xC2\xB0 binario\tcitt\xC3\xA0"},
                   {}},
        DecodeCase{
            "windows_1252_bytes_decode", "4\xB0 \xE8 \x80", cp1252, {"4\xC2\xB0 \xC3\xA8 \xE2\x82\xAC"}, {}},
        DecodeCase{"character_without_a_windows_1252_byte",
                   "ok\nso \xE2\x86\x92 no",  // U+2192, an arrow
                   utf8,
                   {"ok", "so \xE2\x86\x92 no"},
                   {{2, 4, "the character U+2192 has no Windows-1252 byte"}}},
        DecodeCase{"bytes_that_are_not_utf8",
                   "citt\xE0\n",
                   utf8,
                   {"citt\xE0"},
                   {{1, 5, "the byte 0xE0 is not UTF-8 (is the pack's encoding windows-1252?)"}}},
        DecodeCase{"lone_carriage_return_and_control_characters",
                   "a\rb\n\x01",
                   cp1252,
                   {"a\rb", "\x01"},
                   {{1, 2, "control character U+000D"}, {2, 1, "control character U+0001"}}},
        DecodeCase{
            "end_of_text_marker_would_cut_the_text",
            "a\nriferimento fine del file\nb",
            utf8,
            {"a", "riferimento fine del file", "b"},
            {{2, 1,
              "the line is the writer's end-of-text marker \"riferimento fine del file\"; the text would "
              "end here"}}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(DecodePackText, MoreLinesThanTheLineTableHoldsIsAProblemAtTheFirstLineLeftOver) {
  std::string bytes;
  for (int i = 0; i < 1000; ++i) bytes += "l\n";
  EXPECT_TRUE(decode_pack_text(bytes, TextEncoding::utf8).problems.empty());
  bytes += "l\n";
  const DecodedText text = decode_pack_text(bytes, TextEncoding::utf8);
  EXPECT_EQ(in_english(text.problems),
            (std::vector<Problem>{
                {1001, 1, "the text has 1001 lines; the fixed-text writer's line table holds 1000"}}));
}

TEST(PackTexts, RefusesATextWithAProblemNamingItsFileAndPlace) {
  PackBytes bytes{"L", "1", TextEncoding::utf8, "a\n", "b\n", "", "", "x\n\xE2\x86\x92"};
  try {
    PackTexts texts(bytes);
    FAIL() << "no exception";
  } catch (const std::invalid_argument& e) {
    EXPECT_STREQ(e.what(), "scheda_treno.txt:2:1: the character U+2192 has no Windows-1252 byte");
  }
}

// The built-in scenario comes from its pack and writes today's files, byte for byte: the
// sizes and line counts the scenario has always had (the documents' own tests check their
// layout line by line).
TEST(BuiltinPack, WritesTheFilesOfRovellaTirsa7162) {
  const PackTexts& pack = builtin_pack();
  EXPECT_EQ(pack.line_name(), "Rovella_Tirsa");
  EXPECT_EQ(pack.train_number(), "7162");
  MemorySink sink;
  dati_linea(sink, pack.line_name(), pack.line());
  dati_treno(sink, pack.line_name(), pack.train_number(), pack.train());
  dati_note(sink, pack.line_name(), pack.train_number(), pack.notes());
  dati_rallentamenti(sink, pack.line_name(), pack.train_number(), pack.form());
  dati_scheda(sink, pack.line_name(), pack.train_number(), pack.card());
  const std::pair<const char*, size_t> sizes[] = {{"Rovella_Tirsa_linea.txt", 4072},
                                                  {"Rovella_Tirsa_7162-.txt", 1417},
                                                  {"Rovella_Tirsa_7162_note.txt", 9526},
                                                  {"Rovella_Tirsa_7162_rallentamenti.txt", 1698},
                                                  {"Rovella_Tirsa_7162_scheda_treno.txt", 2711}};
  for (const auto& [name, size] : sizes) EXPECT_EQ(sink.files[name].size(), size) << name;
  EXPECT_EQ(line_content().size(), 112u);
  EXPECT_EQ(train_content().size(), 34u);
  EXPECT_EQ(pack.line().data(), line_content().data());
  EXPECT_EQ(pack.notes().data(), notes_lines().data());
  // Line 5 of the train description keeps its trailing space through the pack.
  EXPECT_EQ(train_content()[4], "orologio,    18              20            30 ");
}

}  // namespace
}  // namespace compactor
