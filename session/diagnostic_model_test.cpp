// The one model of what the fronts report, held for each kind of problem: its code, its
// place and span, its notes and its fixes, as the check of a pack in memory gives them.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <nlohmann/json.hpp>

#include "session/diagnostic_json.h"
#include "session/pack.h"
#include "sources/text_position.h"
#include "testing/temp_folder.h"

namespace compactor {
namespace {

using Texts = std::map<std::string, std::string>;

// The small test pack (Windows-1252, CR LF), its texts as an editor holds them.
Texts test_pack() {
  Texts texts;
  for (std::string_view name : {kPackManifest, kPackLine, kPackTrain, kPackCard, kPackForm, kPackNotes})
    texts[std::string(name)] = testing::read_file(std::filesystem::path(TEST_PACK) / name);
  return texts;
}

void replace(std::string& text, const std::string& from, const std::string& to) {
  const size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  text.replace(at, from.size(), to);
}

// The text with the fix applied (columns count bytes here: the texts are ASCII).
std::string applied(std::string text, const Fix& fix) {
  const LineIndex lines(text);
  auto offset = [&](int line, int column) {
    return static_cast<size_t>(lines.line_text(line).data() - text.data()) + static_cast<size_t>(column - 1);
  };
  const size_t from = offset(fix.place.line, fix.place.column);
  text.replace(from, offset(fix.place.end_line, fix.place.end_column) - from, fix.replacement);
  return text;
}

struct Expected {
  std::string code;
  Severity severity;
  Place place;
  std::vector<Place> notes;
  std::vector<std::pair<Place, std::string>> fixes;  // where and what
};

struct Case {
  const char* what;
  std::function<void(Texts&)> spoil;
  Expected expected;
};

const std::string kManifestEnd = "  \"encoding\": \"windows-1252\"";

TEST(DiagnosticModel, EachKindOfProblemHasItsPlaceSpanNotesAndFixes) {
  const std::string slow_down = "rallentamento,  5000,  30,  500,  1,  0,  0\r\n";
  const Case cases[] = {
      {"fault with a note naming the station before",
       [](Texts& t) { replace(t["train.txt"], "stazione,    3900", "stazione,     600"); },
       {"fault-22", Severity::error, {"train.txt", 14, 15, 14, 18}, {{"train.txt", 13, 17, 13, 18}}, {}}},
      {"misspelt keyword: the word and the manifest's list",
       [](Texts& t) { replace(t["train.txt"], "segnale,    2700", "segnal,    2700"); },
       {"unknown-keyword",
        Severity::warning,
        {"train.txt", 18, 1, 18, 7},
        {},
        {{{"train.txt", 18, 1, 18, 7}, "segnale"},
         {{"scenario.json", 5, 22, 5, 22}, ",\n  \"accepted_warnings\": [\"unknown-keyword\"]"}}}},
      {"comment with a comma: its commas go",
       [](Texts& t) {
         replace(t["train.txt"], "[segnali]", "-- galleria del passo, illuminata, corta\r\n[segnali]");
       },
       {"comment-comma",
        Severity::warning,
        {"train.txt", 17, 22, 17, 23},
        {},
        {{{"train.txt", 17, 22, 17, 41}, " illuminata corta"},
         {{"scenario.json", 5, 22, 5, 22}, ",\n  \"accepted_warnings\": [\"comment-comma\"]"}}}},
      {"conflict of the pass at the slow-down whose window it is",
       [&](Texts& t) {
         replace(t["train.txt"], "[rallentamenti]\r\n", "[rallentamenti]\r\n" + slow_down);
         replace(
             t["train.txt"], "[codici]",
             "segnale,    4650,   1, 4, 1,  0, 0,    0,  0,0,0, 0\r\nsegnale,    4700,   1, 4, 1,  0, 0,    0,  "
             "0,0,0, 0\r\nsegnale,    4750,   1, 4, 1,  0, 0,    0,  0,0,0, 0\r\n[codici]");
       },
       {"conflict-12",
        Severity::warning,
        {"train.txt", 17, 1, 17, 14},
        {},
        {{{"scenario.json", 5, 22, 5, 22}, ",\n  \"accepted_warnings\": [\"conflict\"]"}}}},
      {"reserved place taken by a sign board at 0",
       [](Texts& t) {
         replace(t["line.txt"], "cartello_indicatore,  750",
                 "cartello_indicatore,  0,  (Z)\r\ncartello_indicatore,  750");
       },
       {"errore-1250", Severity::error, {"line.txt", 23, 1, 23, 20}, {}, {}}},
      {"misspelt name in accepted_warnings",
       [](Texts& t) {
         replace(t["scenario.json"], kManifestEnd,
                 kManifestEnd + ",\n  \"accepted_warnings\": [\"conflicts\"]");
       },
       {"unknown-warning",
        Severity::error,
        {"scenario.json", 5, 25, 5, 36},
        {},
        {{{"scenario.json", 5, 25, 5, 36}, "\"conflict\""}}}},
      {"name that cannot name a file",
       [](Texts& t) { replace(t["scenario.json"], "\"Valle_Corta\"", "\"Valle/Corta\""); },
       {"pack-names", Severity::error, {"scenario.json", 2, 16, 2, 29}, {}, {}}},
      {"control character in a document",
       [](Texts& t) { t["note.txt"].insert(0, "\x01"); },
       {"pack-encoding", Severity::error, {"note.txt", 1, 1, 1, 2}, {}, {}}},
      {"description longer than the line table, compiled all the same",
       [](Texts& t) {
         for (int i = 0; i < 1000; ++i) t["line.txt"] += "-- riga\r\n";
       },
       {"pack-line-table", Severity::error, {"line.txt", 1001, 1, 1001, 2}, {}, {}}},
      {"missing description",
       [](Texts& t) { t.erase("train.txt"); },
       {"pack-file", Severity::error, {"train.txt"}, {}, {}}},
  };
  for (const Case& c : cases) {
    Texts texts = test_pack();
    c.spoil(texts);
    PackFiles files;
    for (auto& [name, bytes] : texts) files.open(name, bytes);
    const PackCheck check = check_pack(files, PackCheckOptions{});
    const Expected& e = c.expected;
    const auto found = std::find_if(check.entries.begin(), check.entries.end(),
                                    [&](const Diagnostic& d) { return d.code == e.code; });
    ASSERT_NE(found, check.entries.end()) << c.what << "\n" << check.diagnostics;
    EXPECT_EQ(found->severity, e.severity) << c.what;
    EXPECT_EQ(found->place, e.place) << c.what;
    std::vector<Place> notes;
    for (const Diagnostic& n : found->notes) notes.push_back(n.place.value_or(Place{}));
    EXPECT_EQ(notes, e.notes) << c.what;
    std::vector<std::pair<Place, std::string>> fixes;
    for (const Fix& f : found->fixes) fixes.emplace_back(f.place, f.replacement);
    EXPECT_EQ(fixes, e.fixes) << c.what;
    EXPECT_GT(check.problems, 0) << c.what;
    // Every front renders the same entry: JSON carries what the model holds.
    const nlohmann::json j = diagnostic_json(*found, Language::it);
    EXPECT_EQ(j["code"], e.code) << c.what;
    EXPECT_EQ(j["end_column"], e.place.end_column) << c.what;
    EXPECT_EQ(j["fixes"].size(), e.fixes.size()) << c.what;
    EXPECT_FALSE(j["message"].get<std::string>().empty()) << c.what;
  }
}

TEST(DiagnosticModel, FixesMendTheTextTheyEdit) {
  // The comment's mend, applied, leaves a comment without commas.
  Texts texts = test_pack();
  replace(texts["train.txt"], "[segnali]", "-- galleria, corta\r\n[segnali]");
  PackFiles files;
  for (auto& [name, bytes] : texts) files.open(name, bytes);
  const PackCheck check = check_pack(files, {});
  const auto comment = std::find_if(check.entries.begin(), check.entries.end(),
                                    [](const Diagnostic& d) { return d.code == "comment-comma"; });
  ASSERT_NE(comment, check.entries.end());
  EXPECT_NE(applied(texts["train.txt"], comment->fixes.at(0)).find("\r\n-- galleria corta\r\n"),
            std::string::npos);

  // Accepting a warning keeps every shape of manifest valid JSON and lists the name.
  for (const std::string& manifest :
       {std::string("{\n  \"line_name\": \"L\"\n}\n"), std::string("{}"),
        std::string("{\"accepted_warnings\": []}"),
        std::string("{\"accepted_warnings\": [ \"conflict\" ], \"line_name\": \"L\"}"),
        std::string("{\n  \"accepted_warnings\": [\n    \"conflict\"\n  ]\n}")}) {
    PackManifest m;
    m.file = "scenario.json";
    m.text = manifest;
    const std::optional<Fix> fix = accept_warning_fix(m, "timetable");
    ASSERT_TRUE(fix) << manifest;
    const nlohmann::json edited = nlohmann::json::parse(applied(manifest, *fix));
    const auto& list = edited.at("accepted_warnings");
    EXPECT_NE(std::find(list.begin(), list.end(), "timetable"), list.end()) << manifest;
    EXPECT_EQ(render(fix->title, Language::en), "accept the warning timetable in scenario.json");
  }
  PackManifest no_list;
  no_list.text = "{\"accepted_warnings\": 1}";
  EXPECT_FALSE(accept_warning_fix(no_list, "timetable"));
}

TEST(DiagnosticModel, AcceptedWarningsStayInTheListOnlyWhenAskedAndAreNeverCounted) {
  Texts texts = test_pack();
  replace(texts["train.txt"], "segnale,    2700", "segnal,    2700");
  replace(texts["scenario.json"], kManifestEnd,
          kManifestEnd + ",\n  \"accepted_warnings\": [\"unknown-keyword\"]");
  PackFiles files;
  for (auto& [name, bytes] : texts) files.open(name, bytes);
  for (const bool keep : {false, true}) {
    PackCheckOptions options;
    options.keep_accepted = keep;
    const PackCheck check = check_pack(files, options);
    EXPECT_EQ(check.problems, 0);
    EXPECT_EQ(check.diagnostics, "");
    const size_t kept = static_cast<size_t>(std::count_if(check.entries.begin(), check.entries.end(),
                                                          [](const Diagnostic& d) { return d.accepted; }));
    EXPECT_EQ(kept, keep ? 1u : 0u);
  }
}

TEST(DiagnosticJson, AFailureWhileMakingTheObjectStillGivesValidJsonWithErrorSet) {
  const std::string text =
      json_text([]() -> nlohmann::json { throw std::runtime_error("out of \xFF memory"); }, 2);
  const nlohmann::json j = nlohmann::json::parse(text);
  EXPECT_EQ(j["exit_status"], 2);
  EXPECT_FALSE(j["error"].get<std::string>().empty());
  EXPECT_EQ(j["diagnostics"][0]["code"], "failure");
  // A text that is not UTF-8 is replaced, never passed on half.
  EXPECT_NO_THROW(nlohmann::json::parse(json_text([] { return nlohmann::json{{"m", "a\xFF"}}; }, 2)));
}

}  // namespace
}  // namespace compactor
