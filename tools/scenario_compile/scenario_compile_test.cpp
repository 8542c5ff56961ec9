// Runs the built scenario-compile as a process, on description files written the way
// the program writes them, and compares its files with the program's own.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <sstream>

#include "platform/folder_store.h"
#include "sources/line_content.h"
#include "sources/text_writer.h"
#include "sources/train_content.h"
#include "testing/process.h"
#include "testing/temp_folder.h"

namespace compactor {
namespace {

namespace fs = std::filesystem;
using nlohmann::json;

const std::string kPlot = "Rovella_Tirsa_linea.dat";
const std::string kSlots = "Rovella_Tirsa_7162.sim";
const std::string kSections = "Rovella_Tirsa_7162.dat";

using TempDir = testing::TempFolder;
using testing::ProcessResult;

std::string slurp(const fs::path& path) { return testing::read_file(path); }

// Runs a program in a folder, without a display, capturing both output streams.
ProcessResult run_in(const fs::path& cwd, const std::string& program, const std::vector<std::string>& args) {
  std::vector<std::string> argv{program};
  argv.insert(argv.end(), args.begin(), args.end());
  return testing::run_process(argv, cwd);
}

ProcessResult run_tool(const fs::path& cwd, const std::vector<std::string>& args) {
  return run_in(cwd, SCENARIO_COMPILE_TOOL, args);
}

std::vector<std::string> lines_of(std::span<const std::string_view> content) {
  return {content.begin(), content.end()};
}

// Writes the lines as the program's fixed-text writer renders them (Windows-1252, CR LF).
void write_description(const fs::path& path, const std::vector<std::string>& lines) {
  std::vector<std::string_view> views(lines.begin(), lines.end());
  FolderStore store(path.parent_path());
  write_fixed_text(store, path.filename().string(), views);
}

// Index (0-based) of the first content line that starts with the prefix.
size_t index_of(const std::vector<std::string>& lines, const std::string& prefix) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (lines[i].rfind(prefix, 0) == 0) return i;
  throw std::runtime_error("no line starts with " + prefix);
}

std::vector<std::string> names_in(const fs::path& dir) {
  std::vector<std::string> names;
  if (!fs::exists(dir)) return names;
  for (const auto& e : fs::directory_iterator(dir)) names.push_back(e.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

class ScenarioCompile : public ::testing::Test {
 protected:
  void SetUp() override {
    line = lines_of(line_content());
    train = lines_of(train_content());
  }
  // Writes line.txt and train.txt into the work folder and runs the tool with out/ as output.
  ProcessResult compile(std::vector<std::string> extra = {}) {
    write_description(work / "line.txt", line);
    write_description(work / "train.txt", train);
    std::vector<std::string> args{"--line-name", "Rovella_Tirsa", "--train-number", "7162", "--out", "out"};
    args.insert(args.end(), extra.begin(), extra.end());
    args.push_back("line.txt");
    args.push_back("train.txt");
    return run_tool(work.path(), args);
  }
  fs::path out() const { return work / "out"; }
  static json json_of(const ProcessResult& r) { return json::parse(r.out); }

  TempDir work;
  std::vector<std::string> line;
  std::vector<std::string> train;
};

TEST_F(ScenarioCompile, CleanPairGivesTheProgramsFilesByteForByte) {
  TempDir program_dir;
  const fs::path program = program_dir / "rovella_tirsa_7162";
  fs::copy_file(SCENARIO_PROGRAM, program);
  const ProcessResult built = run_in(program_dir.path(), program.string(), {});
  ASSERT_EQ(built.status, 0) << built.err;

  const ProcessResult r = compile({"--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "compiled: 3 files written\n");
  for (const auto& name : {kPlot, kSlots, kSections}) {
    ASSERT_TRUE(fs::exists(out() / name)) << name;
    EXPECT_TRUE(slurp(out() / name) == slurp(program_dir / name)) << name << " differs from the program's";
  }
  EXPECT_EQ(names_in(out()), (std::vector<std::string>{kSections, kSlots, kPlot}));
  // The descriptions are read, never deleted or changed.
  EXPECT_TRUE(slurp(work / "line.txt") == render_line_table(line));
  EXPECT_TRUE(slurp(work / "train.txt") == render_line_table(train));

  const json j = json_of(r);
  EXPECT_TRUE(j["fault"].is_null());
  EXPECT_EQ(j["warnings"], json::array());  // the embedded descriptions compile without a warning
  EXPECT_EQ(j["conflicts"], json::array());
  EXPECT_TRUE(j["error"].is_null());
  EXPECT_EQ(j["files"], (json{kPlot, kSlots, kSections}));
  // Both codes as the program stamps them: slot 85 value4 and section 1 data2.
  const std::string sections = slurp(out() / kSections);
  const int plain = static_cast<uint8_t>(sections[18]) | static_cast<uint8_t>(sections[19]) << 8;
  EXPECT_EQ(j["codes"]["plain"], plain);
  EXPECT_TRUE(j["codes"]["weighted"].is_number_integer());
}

TEST_F(ScenarioCompile, LineFaultIsShownAtItsRecordAndNothingIsWritten) {
  // A second sign board on the section of an earlier one: fault 6.
  const size_t at = index_of(line, "cartello_indicatore,  450,") + 1;
  line.insert(line.begin() + static_cast<long>(at), "cartello_indicatore,  450,   (DOPPIO)");
  const ProcessResult r = compile({"--json"});
  EXPECT_EQ(r.status, 3);
  const std::string n = std::to_string(at + 1);
  EXPECT_EQ(r.err, "line.txt:" + n +
                       ":23: error: fault 6: sign board on a section that is not free (at 450 m)\n"
                       "cartello_indicatore,  450,   (DOPPIO)\n"
                       "                      ^~~\n"
                       "note: section 10 is already taken, by the record here: line.txt:" +
                       std::to_string(at) +
                       ":1\n"
                       "cartello_indicatore,  450,   (CAVALCAVIA)\n"
                       "^~~~~~~~~~~~~~~~~~~\n"
                       "1 error; nothing written\n");
  const json j = json_of(r);
  EXPECT_EQ(j["fault"]["code"], 6);
  EXPECT_EQ(j["fault"]["position"], 450);
  EXPECT_EQ(j["fault"]["file"], "line.txt");
  EXPECT_EQ(j["fault"]["line"], at + 1);
  EXPECT_EQ(j["fault"]["column"], 23);
  EXPECT_EQ(j["files"], json::array());
  EXPECT_FALSE(fs::exists(out()));
}

TEST_F(ScenarioCompile, TrainFaultIsShownAtItsRecord) {
  // A station off the 50 m grid: fault 8.
  const size_t at = index_of(train, "stazione,    6800");
  train[at].replace(0, 17, "stazione,    6820");
  const ProcessResult r = compile({"--json"});
  EXPECT_EQ(r.status, 3);
  const std::string n = std::to_string(at + 1);
  EXPECT_EQ(r.err.substr(0, r.err.find('\n') + 1),
            "train.txt:" + n + ":14: error: fault 8: station position is not a multiple of 50 (at 6820 m)\n");
  EXPECT_NE(r.err.find("\n" + train[at] + "\n             ^~~~\n"), std::string::npos) << r.err;
  const json j = json_of(r);
  EXPECT_EQ(j["fault"]["code"], 8);
  EXPECT_EQ(j["fault"]["position"], 6820);
  EXPECT_EQ(j["fault"]["file"], "train.txt");
  EXPECT_EQ(j["fault"]["line"], at + 1);
  EXPECT_FALSE(fs::exists(out()));
}

TEST_F(ScenarioCompile, ChainageFaultIsBlamedOnTheChainageRecord) {
  // Found only after the train description: the chainage references are off the 50 m grid.
  const size_t at = index_of(line, "progressiva chilometrica uno");
  line[at] = "progressiva chilometrica uno,    0,    50525,    0";
  const ProcessResult r = compile({"--json"});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err, "line.txt:" + std::to_string(at + 1) +
                       ":40: error: fault 2: a chainage reference start or chainage is not a multiple of 50\n"
                       "progressiva chilometrica uno,    0,    50525,    0\n"
                       "                                       ^~~~~\n"
                       "1 error; nothing written\n");
  const json j = json_of(r);
  EXPECT_EQ(j["fault"]["code"], 2);
  EXPECT_EQ(j["fault"]["file"], "line.txt");
}

TEST_F(ScenarioCompile, NumberTooWideForItsFieldIsReadingFailure25AtThatField) {
  // The station kind is an 8-bit field: 300 does not fit.
  const size_t at = index_of(train, "stazione,   12000");
  train[at] = "stazione,   12000, 300,  500,  0, 0, 1,  1,1,0,  4,1,1,   30,  18,29, 0, CASTRELA";
  const ProcessResult r = compile({"--json"});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err,
            "train.txt:" + std::to_string(at + 1) +
                ":20: error: fault 25: reading failure: the number '300' does not fit an 8-bit field\n" +
                train[at] + "\n" + std::string(19, ' ') + "^~~\n1 error; nothing written\n");
  const json j = json_of(r);
  EXPECT_EQ(j["fault"]["code"], 25);
  EXPECT_EQ(j["fault"]["column"], 20);
}

TEST_F(ScenarioCompile, MissingDescriptionsAreFault101ForTheLineAnd25ForTheTrainAndExitTwo) {
  write_description(work / "line.txt", line);
  write_description(work / "train.txt", train);
  const std::vector<std::string> names{"--line-name", "Rovella_Tirsa", "--train-number", "7162", "--json"};

  auto args = names;
  args.insert(args.end(), {"nope.txt", "train.txt"});
  ProcessResult r = run_tool(work.path(), args);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err,
            "nope.txt: error: fault 101: no line description file: No such file or directory\n"
            "1 error; nothing written\n");
  EXPECT_EQ(json_of(r)["file_error"]["file"], "nope.txt");
  EXPECT_EQ(json_of(r)["fault"]["code"], 101);
  EXPECT_EQ(json_of(r)["fault"]["file"], "nope.txt");

  args = names;
  args.insert(args.end(), {"line.txt", "nope.txt"});
  r = run_tool(work.path(), args);
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err,
            "nope.txt: error: fault 25: no train description file: No such file or directory\n"
            "1 error; nothing written\n");
  EXPECT_EQ(json_of(r)["fault"]["code"], 25);
  EXPECT_EQ(names_in(work.path()), (std::vector<std::string>{"line.txt", "train.txt"}));
}

TEST_F(ScenarioCompile, HostileNamesAreRefusedBeforeAnythingIsWritten) {
  write_description(work / "line.txt", line);
  write_description(work / "train.txt", train);
  const fs::path nested = work / "deep" / "er";
  fs::create_directories(nested);
  for (const std::string bad :
       {"../x", "a/b", "a\\b", "", "x\ty", "..", "\xE6\x97\xA5", "CON", "lpt1.x", "a:b", "x?", "L.", "L "}) {
    for (const char* option : {"--line-name", "--train-number"}) {
      const bool line_bad = std::string(option) == "--line-name";
      const ProcessResult r =
          run_tool(nested, {"--line-name", line_bad ? bad : "L", "--train-number", line_bad ? "7" : bad,
                            "--out", "out", "../../line.txt", "../../train.txt"});
      EXPECT_EQ(r.status, 2) << option << " " << bad;
      EXPECT_NE(r.err.find(std::string("error: ") + option), std::string::npos) << r.err;
      EXPECT_EQ(names_in(nested), std::vector<std::string>{}) << option << " " << bad;
      EXPECT_EQ(names_in(work / "deep"), std::vector<std::string>{"er"});
      EXPECT_EQ(names_in(work.path()), (std::vector<std::string>{"deep", "line.txt", "train.txt"}));
    }
  }
}

TEST_F(ScenarioCompile, ANameWindowsCannotHoldIsRefusedOnEverySystem) {
  write_description(work / "line.txt", line);
  write_description(work / "train.txt", train);
  const ProcessResult r = run_tool(
      work.path(), {"--line-name", "aux", "--train-number", "7", "--out", "out", "line.txt", "train.txt"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err,
            "scenario-compile: error: --line-name \"aux\" is a device name on Windows; nothing written\n");
  EXPECT_FALSE(fs::exists(out()));
}

TEST_F(ScenarioCompile, NoPlotWritesTwoFilesAndLeavesAnOldRouteFileAlone) {
  fs::create_directories(out());
  std::ofstream(out() / kPlot) << "old plot";
  const ProcessResult r = compile({"--no-plot", "--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err, "compiled: 2 files written\n");
  EXPECT_EQ(json_of(r)["files"], (json{kSlots, kSections}));
  EXPECT_EQ(slurp(out() / kPlot), "old plot");
  EXPECT_EQ(fs::file_size(out() / kSections), 12315u);
}

TEST_F(ScenarioCompile, KeepPartialWritesWhatWasCompiledWhereTheDefaultWritesNothing) {
  const size_t at = index_of(train, "stazione,    6800");
  train[at].replace(0, 17, "stazione,    6820");

  ProcessResult r = compile();
  EXPECT_EQ(r.status, 3);
  EXPECT_FALSE(fs::exists(out()));

  r = compile({"--keep-partial", "--json"});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err.substr(r.err.rfind('\n', r.err.size() - 2) + 1), "1 error; 3 files written\n");
  EXPECT_EQ(json_of(r)["files"], (json{kPlot, kSlots, kSections}));
  EXPECT_EQ(json_of(r)["fault"]["code"], 8);
  EXPECT_EQ(fs::file_size(out() / kSections), 12315u);
  EXPECT_EQ(fs::file_size(out() / kPlot), 819964u);
}

TEST_F(ScenarioCompile, ReservedPlaceTakenIsErrore1250AndNothingIsWrittenEvenWhenKeepingPartial) {
  // A sign board at 0 lands in section 1, whose data1 is reserved for the marker.
  const size_t at = index_of(line, "cartello_indicatore,  400,");
  line.insert(line.begin() + static_cast<long>(at), "cartello_indicatore,  0,   (ZERO)");
  const ProcessResult r = compile({"--keep-partial", "--json"});
  EXPECT_EQ(r.status, 1);
  EXPECT_EQ(r.err,
            "line.txt:" + std::to_string(at + 1) +
                ":1: error: Errore n. 1250: this record takes section 1 (0 to 50 m), whose data1 is reserved "
                "for the marker 5121\n"
                "cartello_indicatore,  0,   (ZERO)\n"
                "^~~~~~~~~~~~~~~~~~~\n"
                "1 error; nothing written\n");
  const json j = json_of(r);
  EXPECT_EQ(j["error"], "1250");
  EXPECT_TRUE(j["fault"].is_null());
  EXPECT_TRUE(j["codes"].is_null());
  EXPECT_FALSE(fs::exists(out()));
}

TEST_F(ScenarioCompile, ConflictOfThePassIsAWarningAndTheFilesAreWritten) {
  // A slow-down starting in section 201 whose first window (196 to 194) holds three signals.
  const size_t at = index_of(train, "[segnali]") + 1;
  const std::string slow_down = "rallentamento,  10000,  30,  500,  1,  0,  0";
  train.insert(train.begin() + static_cast<long>(at),
               {"segnale,    9650,   1, 4, 1,  0, 0,    0,  0,0,0, 0",
                "segnale,    9700,   1, 4, 1,  0, 0,    0,  0,0,0, 0",
                "segnale,    9750,   1, 4, 1,  0, 0,    0,  0,0,0, 0"});
  const size_t slow_at = index_of(train, "[rallentamenti]") + 1;
  train.insert(train.begin() + static_cast<long>(slow_at), slow_down);
  const ProcessResult r = compile({"--json"});
  ASSERT_EQ(r.status, 0) << r.err;
  // Blamed on the slow-down whose window it is.
  EXPECT_EQ(r.err,
            "train.txt:" + std::to_string(slow_at + 1) +
                ":1: warning: conflict 12: no free section in a window before a slow-down start (at 10050 "
                "m) [-Wconflict]\n" +
                slow_down + "\n^~~~~~~~~~~~~\ncompiled, 1 warning: 3 files written\n");
  const json j = json_of(r);
  EXPECT_EQ(j["conflicts"],
            (json::array({{{"code", 12},
                           {"position", 10050},
                           {"meaning", "no free section in a window before a slow-down start"}}})));
  EXPECT_TRUE(j["fault"].is_null());
  EXPECT_EQ(j["files"].size(), 3u);
}

TEST_F(ScenarioCompile, UnreadableDescriptionOrOutputOverAnInputIsAFileError) {
  write_description(work / "train.txt", train);
  fs::create_directories(work / "adir");
  ProcessResult r =
      run_tool(work.path(), {"--line-name", "L", "--train-number", "7", "--json", "adir", "train.txt"});
  EXPECT_EQ(r.status, 2);
  // The system's own reason (Linux: "Is a directory") stands between the two pinned parts.
  EXPECT_EQ(r.err.rfind("adir: error: cannot ", 0), 0u) << r.err;
  EXPECT_TRUE(r.err.ends_with("\n1 error; nothing written\n")) << r.err;
  EXPECT_EQ(json_of(r)["file_error"]["file"], "adir");

  // The description itself bears the name of an output: refused, left as it was.
  write_description(work / "L_7.sim", line);
  const std::string before = slurp(work / "L_7.sim");
  r = run_tool(work.path(), {"--line-name", "L", "--train-number", "7", "L_7.sim", "train.txt"});
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find((fs::path(".") / "L_7.sim").string() +
                       ": error: the output would replace the description L_7.sim\n"),
            std::string::npos)
      << r.err;
  EXPECT_EQ(slurp(work / "L_7.sim"), before);
}

TEST_F(ScenarioCompile, OutputThatCannotBeWrittenIsAFileError) {
  std::ofstream(work / "blocker") << "a file, not a folder";
  ProcessResult r = compile({"--out", "blocker/sub"});
  EXPECT_EQ(r.status, 2) << r.err;
  // "cannot reach the folder" where the system says so at once, "cannot create the folder" otherwise.
  EXPECT_EQ(r.err.rfind("blocker/sub: error: cannot ", 0), 0u) << r.err;

  // A folder bearing the name of the slot table: nothing changes.
  fs::create_directories(out() / kSlots);
  r = compile({"--json"});
  EXPECT_EQ(r.status, 2) << r.err;
  const std::string slots = (fs::path("out") / kSlots).string();
  EXPECT_EQ(r.err.rfind(slots + ": error: cannot replace: a folder stands in its place; the earlier compiled set was kept\n", 0), 0u) << r.err;
  EXPECT_TRUE(r.err.ends_with("\n1 error; nothing written\n")) << r.err;
  const json j = json_of(r);
  EXPECT_EQ(j["files"], json::array());
  EXPECT_EQ(j["file_error"]["file"], slots);
  EXPECT_FALSE(fs::exists(out() / kSections));
  EXPECT_FALSE(fs::exists(out() / kPlot));
}

// --recover removes only the temporaries and backups of a build's files, says what and how
// much, and leaves an author's look-alikes; it refuses an empty --out as a compile does.
// Names are refused when the longest file's temporary would pass 255 bytes, and only then.
TEST_F(ScenarioCompile, RecoverRemovesOnlyOurHiddenFilesAndNamesMustFitAFile) {
  write_description(work / "line.txt", line);
  write_description(work / "train.txt", train);
  fs::create_directories(out());
  const char* const authors[] = {".notes.new-draft", ".profile.set-old", ".compactor-notes", ".P_1.dat.draft",
                                 ".P_1.sim.new-abc123", ".P_1.dat.compactor-tmp-", ".notes.compactor-tmp-abc123"};
  for (const char* name : authors) std::ofstream(out() / name) << "precious";
  std::ofstream(out() / ".P_1.dat.compactor-tmp-x1Y2z3") << std::string(1500, 'x');
  std::ofstream(out() / ".P_linea.dat.compactor-old-abcdef") << std::string(500, 'x');
  const std::string at_most(213, 'L'), one_more(214, 'L');
  const struct {
    std::vector<std::string> args;
    int status;
    std::string says;
  } cases[] = {
      {{"--recover", "--out", "out"}, 0,
       "out: removed what interrupted runs left: 2 files (2.0 kB): .P_1.dat.compactor-tmp-x1Y2z3, "
       ".P_linea.dat.compactor-old-abcdef\n"},
      {{"--recover", "--out", "out"}, 0, "out: nothing to recover\n"},
      {{"--recover", "--out", ""}, 2, "scenario-compile: error: --out \"\" names no folder; nothing recovered\n"},
      {{"--line-name", one_more, "--train-number", "7", "--out", "long", "line.txt", "train.txt"}, 2,
       "scenario-compile: error: --line-name and --train-number make file names too long: " + one_more +
           "_7_rallentamenti.txt takes 234 bytes and its temporary 256, where a file name holds 255; shorten "
           "the line name or the train number by 1 byte; nothing written\n"},
      {{"--line-name", at_most, "--train-number", "7", "--out", "long", "line.txt", "train.txt"}, 0,
       "compiled: 3 files written\n"},
  };
  for (const auto& c : cases) {
    const ProcessResult r = run_tool(work.path(), c.args);
    EXPECT_EQ(r.status, c.status) << c.says;
    EXPECT_EQ(r.err, c.says);
  }
  for (const char* name : authors) EXPECT_EQ(slurp(out() / name), "precious") << name;
  EXPECT_EQ(names_in(out()).size(), std::size(authors));
}

TEST_F(ScenarioCompile, WarningOptionsOnTheCommandLine) {
  const size_t at = index_of(train, "segnale,    4650");
  train[at] = "segnale,    4640,   1, 5, 6,  0, 0,    0,  0,0,0, 0";
  const std::string warning = "train.txt:" + std::to_string(at + 1) +
                              ":13: %s: position 4640 m is not a multiple of 50: rounded to 4650 m [%s]\n" +
                              train[at] + "\n            ^~~~\n";
  auto with = [&](const char* severity, const char* tag) {
    char buf[512];
    std::snprintf(buf, sizeof buf, warning.c_str(), severity, tag);
    return std::string(buf);
  };

  ProcessResult r = compile({"--json"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, with("warning", "-Wrounded-position") + "compiled, 1 warning: 3 files written\n");
  const json w = json_of(r)["warnings"];
  ASSERT_EQ(w.size(), 1u);
  EXPECT_EQ(w[0]["name"], "rounded-position");
  EXPECT_EQ(w[0]["file"], "train.txt");
  EXPECT_EQ(w[0]["line"], at + 1);
  EXPECT_EQ(w[0]["column"], 13);

  fs::remove_all(out());
  r = compile({"--werror"});
  EXPECT_EQ(r.status, 3);
  EXPECT_EQ(r.err, with("error", "-Werror,-Wrounded-position") + "1 error; nothing written\n");
  EXPECT_FALSE(fs::exists(out()));

  r = compile({"--werror", "-Wno-rounded-position", "--json"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "compiled: 3 files written\n");
  EXPECT_EQ(json_of(r)["warnings"], json::array());

  r = compile({"-Wno-rounded-positon"});
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.err.rfind("scenario-compile: error: unknown warning -Wno-rounded-positon; the warnings are: "
                        "unknown-keyword, ",
                        0),
            0u)
      << r.err;
}

TEST_F(ScenarioCompile, InputEncodingUtf8ConvertsOnReading) {
  const size_t at = index_of(train, "stazione,   25050");
  train[at] = "stazione,   25050, 12,  500,  1, 0, 0,  1,1,0,  2,1,1,    0,  18,45, 0, CITT\xC3\x80";
  // Written raw: the descriptions hold UTF-8 bytes (the line's degree signs too).
  for (const auto& [name, lines] : {std::pair{"line.txt", &line}, std::pair{"train.txt", &train}}) {
    std::ofstream raw(work / name, std::ios::binary);
    for (const std::string& l : *lines) raw << l << "\r\n";
  }
  const std::vector<std::string> names{"--line-name", "Rovella_Tirsa", "--train-number",
                                       "7162",        "--out",         "out"};
  auto args = names;
  args.insert(args.end(), {"line.txt", "train.txt"});
  ProcessResult r = run_tool(work.path(), args);
  EXPECT_EQ(r.status, 0);
  EXPECT_NE(r.err.find("[-Wutf8-input]\n"), std::string::npos) << r.err;

  args = names;
  args.insert(args.end(), {"--input-encoding", "utf-8", "line.txt", "train.txt"});
  r = run_tool(work.path(), args);
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.err, "compiled: 3 files written\n");
  EXPECT_NE(slurp(out() / kSlots)
                .find(std::string("\x05\x00"
                                  "CITT\xC0",
                                  7)),
            std::string::npos);

  args = names;
  args.insert(args.end(), {"--input-encoding", "latin-9", "line.txt", "train.txt"});
  EXPECT_EQ(run_tool(work.path(), args).status, 2);
}

// Under --json every outcome is one object on standard output, wrong use included, with the
// problem among its diagnostics; --lang it gives the same outcome in Italian.
TEST_F(ScenarioCompile, EveryOutcomeIsOneJsonObject) {
  write_description(work / "line.txt", line);
  write_description(work / "train.txt", train);
  const std::vector<std::string> names{"--line-name", "L", "--train-number", "7"};
  struct Case {
    std::vector<std::string> args;
    int status;
    const char* code;
  };
  auto with_names = [&](std::vector<std::string> rest) {
    std::vector<std::string> args = names;
    args.insert(args.end(), rest.begin(), rest.end());
    return args;
  };
  const Case cases[] = {
      {{"--bogus", "a", "b"}, 2, "usage"},
      {with_names({"-Wno-nope", "line.txt", "train.txt"}), 2, "unknown-warning"},
      {{"--line-name", "aux", "--train-number", "7", "line.txt", "train.txt"}, 2, "usage"},
      {{"--lang", "xx", "line.txt", "train.txt"}, 2, "usage"},
      {{"--pack", "no-pack"}, 2, "pack-file"},
      {with_names({"nope.txt", "train.txt"}), 2, "fault-101"},
      {with_names({"--out", "train.txt", "line.txt", "train.txt"}), 2, "file-write"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> args{"--json"};
    args.insert(args.end(), c.args.begin(), c.args.end());
    const ProcessResult r = run_tool(work.path(), args);
    EXPECT_EQ(r.status, c.status) << c.code << ": " << r.err;
    json j;
    ASSERT_NO_THROW(j = json::parse(r.out)) << c.code << ": " << r.out;
    EXPECT_EQ(j["exit_status"], c.status) << c.code;
    ASSERT_FALSE(j["diagnostics"].empty()) << c.code;
    EXPECT_EQ(j["diagnostics"][0]["code"], c.code) << r.out;
    EXPECT_EQ(j["diagnostics"][0]["severity"], "error") << r.out;
  }
  const ProcessResult it =
      run_tool(work.path(), with_names({"--lang", "it", "--json", "nope.txt", "train.txt"}));
  EXPECT_EQ(
      it.err,
      "nope.txt: errore: anomalia 101: manca il file della descrizione della linea: file o cartella inesistente\n"
      "1 errore; nulla scritto\n");
  EXPECT_EQ(json::parse(it.out)["diagnostics"][0]["message"],
            "anomalia 101: manca il file della descrizione della linea: file o cartella inesistente");
}

TEST(ScenarioCompileUsage, HelpAndVersionExitZeroAndUsageErrorsExitTwo) {
  TempDir dir;
  ProcessResult r = run_tool(dir.path(), {"--help"});
  EXPECT_EQ(r.status, 0);
  for (const char* option :
       {"--line-name", "--train-number", "--out", "--no-plot", "--keep-partial", "--json", "-W", "--werror",
        "--input-encoding", "unknown-keyword", "utf8-input", "conflict"})
    EXPECT_NE(r.out.find(option), std::string::npos) << option;
  r = run_tool(dir.path(), {"--version"});
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("scenario-compile ", 0), 0u) << r.out;

  EXPECT_EQ(run_tool(dir.path(), {"--train-number", "7", "a", "b"}).status, 2);  // no --line-name
  EXPECT_EQ(run_tool(dir.path(), {"--line-name", "L", "--train-number", "7", "a"}).status, 2);  // one file
  EXPECT_EQ(run_tool(dir.path(), {"--line-name", "L", "--train-number", "7", "--bogus", "a", "b"}).status, 2);
  EXPECT_EQ(names_in(dir.path()), std::vector<std::string>{});
}

// Every tool's help in Italian, whether --lang comes before or after --help, without one of
// CLI11's English words; and CLI11's refusals said in Italian.
TEST(ScenarioCompileUsage, EveryToolsHelpAndRefusalsSpeakItalian) {
  TempDir dir;
  struct Case {
    std::vector<std::string> argv;
    int status;
    std::string italian;  // on standard output for a help, on standard error for a refusal
  };
  const Case cases[] = {
      {{SCENARIO_COMPILE_TOOL, "--help", "--lang", "it"}, 0, "Stato di uscita: 0 compilato"},
      {{SCENARIO_PACK_TOOL, "--lang", "it", "--help"}, 0, "Sottocomandi:"},
      {{SCENARIO_PACK_TOOL, "--lang=it", "build", "--help"},
       0,
       "Uso: scenario-pack build [OPZIONI] PACCHETTO"},
      {{SCENARIO_INSPECT_TOOL, "--lang", "it", "--help"}, 0, "Stato di uscita: 0 fatto"},
      {{SCENARIO_PROGRAM, "--help", "--lang", "it"}, 0, "Costruisce lo scenario Rovella_Tirsa / 7162"},
      {{SCENARIO_PACK_TOOL, "--lang", "it"},
       2,
       "Manca il sottocomando\nPer saperne di più, esegui con --help.\n"},
      {{SCENARIO_INSPECT_TOOL, "--lang", "it", "--bogus", "a", "b"},
       2,
       "Questo argomento non era previsto: --bogus"},
      {{SCENARIO_COMPILE_TOOL, "--lang", "it", "--line-name", "L", "a", "b"},
       2,
       "Manca --train-number, che è obbligatorio"},
      {{SCENARIO_PROGRAM, "--lang", "it", "--bogus"}, 2, "opzione sconosciuta '--bogus'"},
  };
  for (const Case& c : cases) {
    const ProcessResult r = testing::run_process(c.argv, dir.path());
    const std::string& text = c.status == 0 ? r.out : r.err;
    EXPECT_EQ(r.status, c.status) << c.argv[1];
    EXPECT_NE(text.find(c.italian), std::string::npos) << text;
    for (const char* english : {"Usage", "Options", "OPTIONS", "Positionals", "REQUIRED", "TEXT",
                                "Print this", "Exit status", "is required", "Run with"})
      EXPECT_EQ(text.find(english), std::string::npos) << english << " in\n" << text;
  }
}

}  // namespace
}  // namespace compactor
