// The check a build runs on a pack, driven directly: each pack here is the built-in
// scenario's pack (or the small test pack) with one thing wrong.
#include "session/pack.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>

#include "testing/temp_folder.h"

namespace compactor {
namespace {

namespace fs = std::filesystem;

using testing::read_file;
using testing::TempFolder;

std::string slurp(const fs::path& path) { return read_file(path); }
void spit(const fs::path& path, const std::string& bytes) { testing::write_file(path, bytes); }

// Replaces the first occurrence of from in the file (which must hold it).
void edit(const fs::path& path, const std::string& from, const std::string& to) {
  std::string text = slurp(path);
  const size_t at = text.find(from);
  ASSERT_NE(at, std::string::npos) << from;
  text.replace(at, from.size(), to);
  spit(path, text);
}

// A copy of a pack in a temporary folder "pack", so that messages name "<tmp>/pack/...".
class PackCheckTest : public ::testing::Test {
 protected:
  void SetUp() override {
    root_ = temp_.path();
    pack_ = root_ / "pack";
    fs::copy(BUILTIN_PACK, pack_);
  }
  PackCheck check() { return check_pack(pack_, root_ / "out"); }
  std::string at(const std::string& file) const { return (pack_ / file).string(); }
  std::string last_line() const { return pack_.string() + ": "; }

  TempFolder temp_{"pack-test"};
  fs::path root_, pack_;
};

TEST_F(PackCheckTest, BuiltinPackIsSoundAndLeavesTheCompiledFiles) {
  const PackCheck c = check();
  EXPECT_EQ(c.problems, 0);
  EXPECT_EQ(c.diagnostics, "");
  EXPECT_TRUE(fs::exists(root_ / "out" / "Rovella_Tirsa_7162.dat"));
}

TEST_F(PackCheckTest, CompilerFaultFailsWithItsRecord) {
  // A second sign board on the section of the one at 450 m: fault 6, on line 81.
  edit(pack_ / "line.txt", "cartello_indicatore,  450,   (CAVALCAVIA)\n",
       "cartello_indicatore,  450,   (CAVALCAVIA)\ncartello_indicatore,  450,   (DOPPIO)\n");
  const PackCheck c = check();
  EXPECT_EQ(c.problems, 1);
  EXPECT_EQ(c.diagnostics, at("line.txt") +
                               ":81:23: error: fault 6: sign board on a section that is not free (at 450 m)\n"
                               "cartello_indicatore,  450,   (DOPPIO)\n"
                               "                      ^~~\n"
                               "note: section 10 is already taken, by the record here: " +
                               at("line.txt") +
                               ":80:1\n"
                               "cartello_indicatore,  450,   (CAVALCAVIA)\n"
                               "^~~~~~~~~~~~~~~~~~~\n"
                               "1 error; nothing written\n" +
                               last_line() + "1 problem; the program is not built\n");
}

TEST_F(PackCheckTest, WarningFailsUnlessTheManifestAcceptsIt) {
  // Three signals in the first window before a slow-down: conflict 12 of the abbattimento pass.
  edit(
      pack_ / "train.txt", "[segnali]\n",
      "[segnali]\nsegnale,    9650,   1, 4, 1,  0, 0,    0,  0,0,0, 0\n"
      "segnale,    9700,   1, 4, 1,  0, 0,    0,  0,0,0, 0\nsegnale,    9750,   1, 4, 1,  0, 0,    0,  0,0,0, 0\n");
  edit(pack_ / "train.txt", "[rallentamenti]\n",
       "[rallentamenti]\nrallentamento,  10000,  30,  500,  1,  0,  0\n");
  PackCheck c = check();
  EXPECT_EQ(c.problems, 1);
  // The conflict is blamed on the slow-down whose window it is (line 22 of train.txt).
  EXPECT_EQ(c.diagnostics,
            at("train.txt") +
                ":22:1: warning: conflict 12: no free section in a window before a slow-down start (at 10050 m) "
                "[-Wconflict]\n"
                "rallentamento,  10000,  30,  500,  1,  0,  0\n"
                "^~~~~~~~~~~~~\n"
                "compiled, 1 warning: 3 files written\n" +
                at("scenario.json") + ": note: the warning \"conflict\" is not in \"accepted_warnings\"\n" +
                last_line() + "1 problem; the program is not built\n");

  edit(pack_ / "scenario.json", "\"accepted_warnings\": []", "\"accepted_warnings\": [\"conflict\"]");
  c = check();
  EXPECT_EQ(c.problems, 0);
  EXPECT_EQ(c.diagnostics, "");
}

struct BrokenPack {
  const char* label;
  std::function<void(const fs::path&)> spoil;
  std::vector<std::string> messages;  // after "<pack>/", one per problem
};

void PrintTo(const BrokenPack& p, std::ostream* os) { *os << p.label; }

class BrokenPackTest : public PackCheckTest, public ::testing::WithParamInterface<BrokenPack> {};

TEST_P(BrokenPackTest, FailsWithEveryMessage) {
  GetParam().spoil(pack_);
  const PackCheck c = check();
  std::string expected;
  for (const std::string& m : GetParam().messages) expected += (pack_ / m).string() + "\n";
  expected += last_line() + std::to_string(GetParam().messages.size()) +
              (GetParam().messages.size() == 1 ? " problem" : " problems") + "; the program is not built\n";
  EXPECT_EQ(c.diagnostics, expected);
  EXPECT_EQ(c.problems, static_cast<int>(GetParam().messages.size()));
}

INSTANTIATE_TEST_SUITE_P(
    Packs, BrokenPackTest,
    ::testing::Values(
        BrokenPack{"character_outside_windows_1252",
                   [](const fs::path& p) { edit(p / "note.txt", "TRENO : 7162", "TRENO \xE2\x86\x92 7162"); },
                   {"note.txt:3:7: error: the character U+2192 has no Windows-1252 byte"}},
        BrokenPack{"windows_1252_bytes_in_a_utf8_pack",
                   [](const fs::path& p) {
                     edit(p / "scheda_treno.txt", "SCHEDA",
                          "SCH\xC8"
                          "DA");
                   },
                   {"scheda_treno.txt:4:46: error: the byte 0xC8 is not UTF-8 (is the pack's encoding "
                    "windows-1252?)"}},
        BrokenPack{
            "line_name_with_a_path_separator",
            [](const fs::path& p) { edit(p / "scenario.json", "\"Rovella_Tirsa\"", "\"Rovella/Tirsa\""); },
            {"scenario.json:2:16: error: the line name \"Rovella/Tirsa\" contains a path separator"}},
        BrokenPack{"empty_train_number",
                   [](const fs::path& p) { edit(p / "scenario.json", "\"7162\"", "\"\""); },
                   {"scenario.json:3:19: error: the train number \"\" is empty"}},
        BrokenPack{"text_longer_than_the_line_table",
                   [](const fs::path& p) {
                     std::string more;
                     for (int i = 0; i < 1000; ++i) more += "\n";
                     edit(p / "rallentamenti.txt", "contigui\n", "contigui\n" + more);
                   },
                   {"rallentamenti.txt:1001:1: error: the text has 1032 lines; the fixed-text writer's line "
                    "table holds 1000"}},
        BrokenPack{
            "end_of_text_marker_in_a_document",
            [](const fs::path& p) { edit(p / "note.txt", "TRENO : 7162", "riferimento fine del file"); },
            {"note.txt:3:1: error: the line is the writer's end-of-text marker \"riferimento fine del "
             "file\"; the text would end here"}},
        BrokenPack{"names_too_long_for_a_file",
                   [](const fs::path& p) { edit(p / "scenario.json", "Rovella_Tirsa", std::string(230, 'R')); },
                   {"scenario.json:2:16: error: the line name and the train number make file names too long: " +
                    std::string(230, 'R') +
                    "_7162_rallentamenti.txt takes 253 bytes and its temporary 275, where a file name holds "
                    "255; shorten the line name or the train number by 20 bytes"}},
        BrokenPack{"line_longer_than_any_text_holds",
                   [](const fs::path& p) { edit(p / "note.txt", "TRENO : 7162", std::string(1025, 'x')); },
                   {"note.txt:3:1025: error: the line holds 1025 bytes, more than a line of a scenario's text "
                    "can (1024 at most)"}},
        BrokenPack{"missing_document",
                   [](const fs::path& p) { fs::remove(p / "note.txt"); },
                   {"note.txt: error: the pack has no note.txt"}},
        BrokenPack{"manifest_that_is_not_json",
                   [](const fs::path& p) { edit(p / "scenario.json", "\"7162\",", "7162,,"); },
                   {"scenario.json:3:24: error: syntax error while parsing object key - unexpected ','; "
                    "expected string literal"}},
        BrokenPack{
            "unknown_key_encoding_and_warning",
            [](const fs::path& p) {
              spit(
                  p / "scenario.json",
                  "{\n  \"line_name\": \"Rovella_Tirsa\",\n  \"train\": 1,\n  \"train_number\": \"7162\",\n"
                  "  \"encoding\": \"latin-1\",\n  \"accepted_warnings\": [\"conflict\", \"conflicts\"],\n"
                  "  \"acceleration\": 0\n}\n");
            },
            {"scenario.json:3:3: error: unknown key \"train\" (the keys are line_name, train_number, "
             "encoding, accepted_warnings and acceleration)",
             "scenario.json:5:15: error: unknown encoding \"latin-1\" (utf-8 or windows-1252)",
             "scenario.json:6:37: error: unknown warning \"conflicts\" in \"accepted_warnings\"",
             "scenario.json:7:19: error: \"acceleration\" must be a number of metres per second squared from 0.05 to "
             "2, not 0"}},
        BrokenPack{"missing_identity",
                   [](const fs::path& p) { spit(p / "scenario.json", "{\"encoding\": \"utf-8\"}"); },
                   {"scenario.json:1:1: error: missing \"line_name\"",
                    "scenario.json:1:1: error: missing \"train_number\""}}),
    [](const auto& info) { return std::string(info.param.label); });

TEST(PackRequest, RendersTheDescriptionsAsTheProgramWritesThem) {
  // The small pack is Windows-1252 with CR LF; the built-in one UTF-8 with LF: both come
  // out as Windows-1252 with CR LF.
  CompileRequest request;
  std::string diagnostics;
  ASSERT_TRUE(pack_request(TEST_PACK, request, diagnostics)) << diagnostics;
  EXPECT_EQ(request.line_name, "Valle_Corta");
  EXPECT_EQ(request.train_number, "2041");
  EXPECT_EQ(request.acceleration, 0.4);
  EXPECT_EQ(*request.line_text, slurp(fs::path(TEST_PACK) / "line.txt"));
  EXPECT_NE(request.line_text->find("N\xB0 3"), std::string::npos);
  EXPECT_EQ(request.line_description, fs::path(TEST_PACK) / "line.txt");

  ASSERT_TRUE(pack_request(BUILTIN_PACK, request, diagnostics)) << diagnostics;
  EXPECT_EQ(request.train_text->size(), 1417u);
  EXPECT_EQ(request.line_text->size(), 4072u);
  EXPECT_EQ(request.acceleration, kPlanningAcceleration);
}

}  // namespace
}  // namespace compactor
