// The scenario-inspect command on the files of the scenario's own program and on a
// small scenario written by hand.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <regex>

#include "testing/process.h"
#include "testing/temp_folder.h"
#include "session/reader_files.h"
#include "reader/reader_test_support.h"

namespace compactor::inspect {
namespace {

namespace fs = std::filesystem;

using Outcome = compactor::testing::ProcessResult;
using compactor::testing::read_file;

std::string quoted(const std::string& s) { return "'" + s + "'"; }

// Runs a command line in dir, capturing both outputs: words are split at spaces, and a
// word in single quotes is taken as it stands.
Outcome run_in(const fs::path& dir, const std::string& command) {
  std::vector<std::string> argv;
  for (size_t i = 0; i < command.size();) {
    if (command[i] == ' ') {
      ++i;
    } else if (command[i] == '\'') {
      const size_t end = command.find('\'', i + 1);
      argv.push_back(command.substr(i + 1, end - i - 1));
      i = end + 1;
    } else {
      const size_t end = std::min(command.find(' ', i), command.size());
      argv.push_back(command.substr(i, end - i));
      i = end;
    }
  }
  return compactor::testing::run_process(argv, dir);
}

Outcome inspect(const fs::path& dir, const std::string& args) {
  return run_in(dir, quoted(INSPECT_PROGRAM) + " " + args);
}

bool has_line(const std::string& text, const std::string& pattern) {
  return std::regex_search(text, std::regex(pattern, std::regex::multiline));
}

// The six files of the scenario's own program, built once in a folder of their own.
class OwnOutput : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    folder_ = new compactor::testing::TempFolder("inspect-own");
    dir_ = new fs::path(folder_->path());
    const fs::path program = *dir_ / fs::path(SCENARIO_PROGRAM).filename();
    fs::copy_file(SCENARIO_PROGRAM, program, fs::copy_options::overwrite_existing);
    build_ = new Outcome(compactor::testing::run_process({program.string()}, *dir_));
  }
  static void TearDownTestSuite() {
    delete folder_;
    delete dir_;
    delete build_;
  }
  void SetUp() override { ASSERT_EQ(build_->status, 0) << build_->err; }
  static const char* files() {
    return "Rovella_Tirsa_7162.dat Rovella_Tirsa_7162.sim Rovella_Tirsa_linea.dat";
  }

  static compactor::testing::TempFolder* folder_;
  static fs::path* dir_;
  static Outcome* build_;
};

compactor::testing::TempFolder* OwnOutput::folder_ = nullptr;
fs::path* OwnOutput::dir_ = nullptr;
Outcome* OwnOutput::build_ = nullptr;

TEST_F(OwnOutput, SlotTableShowsTheSixStationsWithExtentsAndTimes) {
  const Outcome r = inspect(*dir_, std::string("--slots ") + files());
  ASSERT_EQ(r.status, 0) << r.err;
  const char* rows[] = {
      "^ +1  ROVELLA +12 +0 +-250 +250  18:21:00 ",
      "^ +2  PRATOLINE +12 +6800 +6550 +7100  - ",
      "^ +3  CASTRELA +12 +12000 +11750 +12300  18:29:00 ",
      "^ +4  SAN MARTINO di TIRSA +22 +16150 +15850 +16500  - ",
      "^ +5  BIVIO SANT' ELIA DI LAGO +25 +21900 +21800 +22000  - ",
      "^ +6  TIRSA +12 +25050 +24800 +25300  18:45:00 ",
  };
  for (const char* row : rows) EXPECT_TRUE(has_line(r.out, row)) << row << "\n" << r.out;
  EXPECT_TRUE(has_line(r.out, "^Scenario Rovella_Tirsa, train 7162$")) << r.out;
  EXPECT_TRUE(has_line(r.out, "line length +34000 m; 821 sections, 0 to 820")) << r.out;
  EXPECT_TRUE(has_line(r.out, "chainage +slot 81: from 0 m, km 50\\+550, flag 0")) << r.out;
  EXPECT_TRUE(has_line(r.out, "clock +18:20:30")) << r.out;
  EXPECT_TRUE(has_line(r.out, "^ +80 +9 +400  \\(  LINEA A    \\)\\(BINARIO UNICO\\)$")) << r.out;
  EXPECT_TRUE(has_line(r.out, "STRADA STATALE\\)\\(  N\xC2\xB0 47 ")) << r.out;
}

TEST_F(OwnOutput, SectionTableHoldsTheTenSignals) {
  const Outcome r = inspect(*dir_, std::string("--sections ") + files());
  ASSERT_EQ(r.status, 0) << r.err;
  const std::regex signal("^ +[0-9]+ +[0-9]+  signal ", std::regex::multiline);
  EXPECT_EQ(std::distance(std::sregex_iterator(r.out.begin(), r.out.end(), signal), std::sregex_iterator()),
            10);
  EXPECT_TRUE(
      has_line(r.out, "^ +94 +4700  signal +50 +60 +0 +3 .*at 4650 m: sx 1, s1 5, s2 6, s3 0, rapp 0, dx 0,"))
      << r.out;
  EXPECT_TRUE(has_line(r.out,
                       "^ +488 +24400  signal +22 +31 +11 +8 .*at 24350 m: sx 2, s1 2, s2 3, s3 1, rapp 0, "
                       "dx 2, d1 2, d2 1, d3 1, tempo 0$"))
      << r.out;
  EXPECT_TRUE(has_line(r.out, "^ +820 +41000 ")) << "all 821 sections";
}

TEST_F(OwnOutput, CheckPasses) {
  const Outcome r = inspect(*dir_, std::string("--check ") + files());
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_TRUE(has_line(r.out, "^check passed$")) << r.out;
  EXPECT_TRUE(has_line(r.out, "the number of route plot points is 41001")) << r.out;
}

TEST_F(OwnOutput, FilesWrittenFromTheJsonAreTheSameBytes) {
  const Outcome json = inspect(*dir_, std::string("--json ") + files());
  ASSERT_EQ(json.status, 0) << json.err;
  std::ofstream(*dir_ / "model.json", std::ios::binary) << json.out;
  const Outcome w = inspect(*dir_, "--from-json model.json copy.dat copy.sim copy_linea.dat");
  ASSERT_EQ(w.status, 0) << w.err;
  EXPECT_EQ(read_file(*dir_ / "copy.dat"), read_file(*dir_ / "Rovella_Tirsa_7162.dat"));
  EXPECT_EQ(read_file(*dir_ / "copy.sim"), read_file(*dir_ / "Rovella_Tirsa_7162.sim"));
  EXPECT_EQ(read_file(*dir_ / "copy_linea.dat"), read_file(*dir_ / "Rovella_Tirsa_linea.dat"));
  const Outcome again = inspect(*dir_, "--json copy.dat copy.sim copy_linea.dat");
  EXPECT_EQ(again.out, read_file(*dir_ / "model.json"));
}

// Renders the pictures with a real SVG renderer; the PNGs stay in test-artifacts/.
TEST_F(OwnOutput, PictureRendersWithARealRenderer) {
  fs::create_directories(ARTIFACT_DIR);
  for (const bool with_plot : {true, false}) {
    const std::string name = with_plot ? "scenario" : "scenario-profile-only";
    const std::string svg = (fs::path(ARTIFACT_DIR) / (name + ".svg")).string();
    const std::string png = (fs::path(ARTIFACT_DIR) / (name + ".png")).string();
    const std::string args = with_plot ? files() : "Rovella_Tirsa_7162.dat Rovella_Tirsa_7162.sim";
    const Outcome r = inspect(*dir_, "--svg " + quoted(svg) + " " + args);
    ASSERT_EQ(r.status, 0) << r.err;
    const Outcome render = run_in(*dir_, "rsvg-convert -o " + quoted(png) + " " + quoted(svg));
    // Under Wine the test cannot start a Linux program.
    if (render.status == -1) GTEST_SKIP() << "rsvg-convert cannot be started here";
    EXPECT_EQ(render.status, 0) << render.err;
    EXPECT_EQ(render.err, "");
    EXPECT_EQ(read_file(png).substr(1, 3), "PNG");
    const std::string picture = read_file(svg);
    for (const char* station : {"ROVELLA", "PRATOLINE", "CASTRELA", "SAN MARTINO di TIRSA", "TIRSA"})
      EXPECT_NE(picture.find(station), std::string::npos) << station;
    // Every feature can be hovered; the run and the chainage are drawn.
    EXPECT_NE(picture.find("<title>signal: section 94, at 4650 m, chainage km 55+200"), std::string::npos);
    EXPECT_NE(picture.find("fastest possible run"), std::string::npos);
    EXPECT_NE(picture.find("realistic run"), std::string::npos);
    EXPECT_NE(picture.find(">50+550<"), std::string::npos);
  }
}

// In Italian the tables, the check and the picture's words (its titles and texts, not its
// markup) hold none of the English words; the numbers and the scenario's own names stay.
TEST_F(OwnOutput, InItalianNoTableNorThePictureSaysAnEnglishWord) {
  std::string said;
  for (const char* option : {"--slots", "--sections", "--timetable", "--check"}) {
    const Outcome r = inspect(*dir_, std::string("--lang it ") + option + " " + files());
    ASSERT_EQ(r.status, 0) << option << r.err;
    said += r.out;
  }
  EXPECT_NE(said.find("massa frenata 120 %"), std::string::npos);
  EXPECT_NE(said.find("verifica superata"), std::string::npos);
  const Outcome r = inspect(*dir_, std::string("--lang it --svg it.svg ") + files());
  ASSERT_EQ(r.status, 0) << r.err;
  const std::string picture = read_file(*dir_ / "it.svg");
  const std::regex words("<(text|title)[^>]*>([^<]*)<");
  for (auto it = std::sregex_iterator(picture.begin(), picture.end(), words); it != std::sregex_iterator();
       ++it)
    said += (*it)[2].str() + "\n";
  EXPECT_NE(said.find("segnale: sezione 94, a 4650 m, progressiva km 55+200"), std::string::npos);
  const std::regex english(
      "\\b(section|station|train|signal|slow-down|timetable|chainage|speed|gradient|vehicles|braked|clock|"
      "from|the|and|passed|line|run|legend)s?\\b",
      std::regex::icase);
  std::smatch m;
  EXPECT_FALSE(std::regex_search(said, m, english))
      << m.str() << " in\n"
      << m.prefix().str().substr(m.prefix().length() > 200 ? static_cast<size_t>(m.prefix().length()) - 200
                                                           : 0);
}

// The built-in timetable against the fastest run, worked out by hand: 800 m at 75 km/h and
// 11200 m at 135 km/h make 337.07 s; 9500 m at 135, 600 m at 60, 1150 m at 135 and 1800 m
// at 75 make 406.4 s. The realistic run (0.3 m/s², braking at half of 0.976 = 0.488 m/s²) to
// CASTRELA: 0 to 75 km/h in 69.44 s over 723.4 m, 76.6 m at 75 in 3.68 s, 75 to 135 in 55.56 s
// over 1620.4 m, 8138.8 m at 135 in 217.03 s, and 37.5 / 0.488 = 76.84 s braking over 1440.8 m:
// 422.56 s. To TIRSA 522.02 s (a step-by-step run of 1 cm steps agrees).
TEST_F(OwnOutput, TimetableShowsTheFastestRunAndTheMargin) {
  const Outcome t = inspect(*dir_, std::string("--timetable ") + files());
  ASSERT_EQ(t.status, 0) << t.err;
  const std::string dash = " +\xe2\x80\x94";
  EXPECT_TRUE(has_line(t.out, "^ROVELLA +0 m +km 50\\+550 +18:21:00" + dash + dash + dash + dash + "$")) << t.out;
  EXPECT_TRUE(has_line(t.out, "^PRATOLINE +6800 m .*" + dash + dash + dash + dash + dash + "$")) << t.out;
  EXPECT_TRUE(has_line(t.out, "^CASTRELA +12000 m .* 18:29:00 +5 min 37 s +7 min 3 s +8 min +2 min 23 s$")) << t.out;
  EXPECT_TRUE(has_line(t.out, "^TIRSA +25050 m .* 18:45:00 +6 min 46 s +8 min 42 s +16 min +9 min 14 s$")) << t.out;
  const Outcome j = inspect(*dir_, std::string("--timetable --json ") + files());
  ASSERT_EQ(j.status, 0) << j.err;
  const nlohmann::json rows = nlohmann::json::parse(j.out)["stations"];
  EXPECT_NEAR(rows[2]["fastest_s"].get<double>(), 337.07, 0.01);
  EXPECT_NEAR(rows[2]["realistic_s"].get<double>(), 422.56, 0.01);
  EXPECT_EQ(rows[2]["from"], "ROVELLA");
  EXPECT_NEAR(rows[5]["fastest_s"].get<double>(), 406.4, 0.01);
  EXPECT_NEAR(rows[5]["realistic_s"].get<double>(), 522.02, 0.01);
  EXPECT_EQ(rows[5]["verdict"], "ok");
  // A pack's own acceleration: at 0.6 m/s² the 125 s of accelerating halve, and the metres
  // they no longer take are run at speed, 361.7 m at 75 km/h (17.36 s) and 810.2 m at 135
  // (21.61 s): 422.56 - 62.5 + 17.36 + 21.61 = 399.03 s.
  const Outcome q = inspect(*dir_, std::string("--timetable --json --acceleration 0.6 ") + files());
  EXPECT_NEAR(nlohmann::json::parse(q.out)["stations"][2]["realistic_s"].get<double>(), 399.02, 0.01);
  EXPECT_EQ(inspect(*dir_, std::string("--timetable --acceleration 0 ") + files()).status, 2);
  EXPECT_TRUE(rows[1]["time"].is_null());
}

// A small scenario written by hand: the command's answers to damage and to wrong use.
class SmallScenario : public ::testing::Test {
 protected:
  void SetUp() override {
    write_scenario(testing::small_scenario(), {dir_ / "L_1.dat", dir_ / "L_1.sim", dir_ / "L_linea.dat"});
  }
  void cut(const std::string& name, size_t size) { fs::resize_file(dir_ / name, size); }
  compactor::testing::TempFolder folder_{"inspect-small"};
  fs::path dir_ = folder_.path();
};

TEST_F(SmallScenario, WithoutAnOptionTheSlotTableIsShown) {
  const Outcome r = inspect(dir_, "L_1.dat L_1.sim");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has_line(r.out, "^Scenario Linea, train 1$")) << r.out;
}

TEST_F(SmallScenario, SectionsTakeARangeOrAFileAfterThem) {
  const Outcome some = inspect(dir_, "--sections 7:8 L_1.dat L_1.sim");
  EXPECT_EQ(some.status, 0) << some.err;
  EXPECT_EQ(std::count(some.out.begin(), some.out.end(), '\n'), 6) << some.out;
  const Outcome all = inspect(dir_, "--sections L_1.dat L_1.sim");
  EXPECT_EQ(all.status, 0) << all.err;
  EXPECT_TRUE(has_line(all.out, "^ +160 ")) << all.out;
}

TEST_F(SmallScenario, ABadSectionRangeIsNamedAsOne) {
  struct Case {
    const char* args;
    const char* message;
  };
  const Case cases[] = {
      {"--sections abc L_1.dat L_1.sim",
       "scenario-inspect: --sections: \"abc\" is not a range of section indexes; write FROM:TO, FROM:, :TO or "
       "one index, as in --sections 100:140\n"},
      {"--sections=3-4 missing.dat missing.sim",
       "scenario-inspect: --sections: \"3-4\" is not a range of section indexes; write FROM:TO, FROM:, :TO or "
       "one index, as in --sections 100:140\n"},
      {"--sections 10:5 L_1.dat L_1.sim",
       "scenario-inspect: --sections 10:5 shows no section: 10 is after 5\n"},
      {"--sections 300: L_1.dat L_1.sim",
       "scenario-inspect: --sections 300: shows no section: the scenario has sections 0 to 160\n"},
  };
  for (const Case& c : cases) {
    const Outcome r = inspect(dir_, c.args);
    EXPECT_EQ(r.status, 2) << c.args;
    EXPECT_EQ(r.err, c.message) << c.args;
    EXPECT_EQ(r.out, "") << c.args;
  }
  const Outcome one = inspect(dir_, "--sections 7 L_1.dat L_1.sim");
  EXPECT_EQ(one.status, 0) << one.err;
  EXPECT_EQ(std::count(one.out.begin(), one.out.end(), '\n'), 5) << one.out;
}

TEST_F(SmallScenario, SwappedFilesGetAHint) {
  const char* hint =
      ": are the files swapped? Give them in the order SECTIONS.dat SLOTS.sim [ROUTE_linea.dat]\n";
  const size_t sim_size = fs::file_size(dir_ / "L_1.sim");
  const Outcome r = inspect(dir_, "L_1.sim L_1.dat");
  EXPECT_EQ(r.status, 2);
  if (sim_size % 15 != 0) {
    EXPECT_EQ(r.err, "scenario-inspect: L_1.sim: section array size " + std::to_string(sim_size) +
                         " is not a multiple of 15 at offset " + std::to_string(sim_size / 15 * 15) +
                         "; it reads as a slot table (.sim)" + hint);
  } else {
    EXPECT_NE(r.err.find("L_1.dat: "), std::string::npos) << r.err;
    EXPECT_NE(r.err.find("; it reads as a section array (.dat)"), std::string::npos) << r.err;
  }
  const Outcome plot_first = inspect(dir_, "L_1.dat L_linea.dat L_1.sim");
  EXPECT_EQ(plot_first.status, 2);
  EXPECT_NE(plot_first.err.find("scenario-inspect: L_linea.dat: "), std::string::npos) << plot_first.err;
  EXPECT_NE(plot_first.err.find("; it reads as a route plot (_linea.dat)" + std::string(hint)),
            std::string::npos)
      << plot_first.err;
  const Outcome damaged = inspect(dir_, "L_1.dat missing.sim");
  EXPECT_EQ(damaged.err.find("swapped"), std::string::npos) << damaged.err;
}

TEST_F(SmallScenario, CheckSaysWhatItSkipped) {
  const Outcome r = inspect(dir_, "--check L_1.dat L_1.sim");
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_TRUE(has_line(
      r.out, "^skip   the number of route plot points: no route plot file given \\(ROUTE_linea.dat\\)$"))
      << r.out;
  EXPECT_TRUE(has_line(r.out, "^check passed, 1 check skipped$")) << r.out;
}

TEST_F(SmallScenario, DamagedFilesAreNamedWithTheirOffset) {
  struct Case {
    const char* file;
    size_t size;
    const char* message;
  };
  const Case cases[] = {
      {"L_1.sim", 20, "L_1.sim: file ends inside a slot at offset 20"},
      {"L_1.sim", 52, "L_1.sim: text length 4 runs past the end of the file at offset 48"},
      {"L_1.dat", 100, "L_1.dat: section array size 100 is not a multiple of 15 at offset 90"},
      {"L_linea.dat", 5, "L_linea.dat: file ends inside a plot value at offset 4"},
  };
  for (const Case& c : cases) {
    SetUp();
    cut(c.file, c.size);
    const Outcome r = inspect(dir_, "--check L_1.dat L_1.sim L_linea.dat");
    EXPECT_EQ(r.status, 2) << c.file;
    EXPECT_NE(r.err.find(c.message), std::string::npos) << r.err;
  }
  std::string slots = read_file(dir_ / "L_1.sim");
  slots[15] = '\x7F';  // slot 0's text now claims 32512 bytes
  std::ofstream(dir_ / "L_1.sim", std::ios::binary) << slots;
  const Outcome r = inspect(dir_, "L_1.dat L_1.sim");
  EXPECT_EQ(r.status, 2);
  EXPECT_NE(r.err.find("L_1.sim: text length 32512 runs past the end of the file at offset 14"),
            std::string::npos)
      << r.err;
}

TEST_F(SmallScenario, CheckFailsWithExitOneOnAWrongCount) {
  cut("L_1.dat", 150 * 15);
  const Outcome r = inspect(dir_, "--check L_1.dat L_1.sim L_linea.dat");
  EXPECT_EQ(r.status, 1);
  EXPECT_TRUE(has_line(r.out, "^WRONG  the number of sections is 150, expected 161")) << r.out;
  EXPECT_TRUE(has_line(r.out, "^check failed$")) << r.out;
}

TEST_F(SmallScenario, WrongUseEndsWithStatusTwo) {
  const char* uses[] = {"",
                        "L_1.dat",
                        "--sections 3-4 L_1.dat L_1.sim",
                        "--bogus L_1.dat L_1.sim",
                        "L_1.dat missing.sim",
                        "--from-json model.json --check L_1.dat L_1.sim"};
  for (const char* use : uses) EXPECT_EQ(inspect(dir_, use).status, 2) << use;
  EXPECT_EQ(inspect(dir_, "--help").status, 0);
  const Outcome v = inspect(dir_, "--version");
  EXPECT_EQ(v.status, 0);
  EXPECT_TRUE(has_line(v.out, "^scenario-inspect [0-9]+\\.[0-9]+\\.[0-9]+$")) << v.out;
}

TEST_F(SmallScenario, FromJsonWritesTheFilesBack) {
  const Outcome json = inspect(dir_, "--json L_1.dat L_1.sim L_linea.dat");
  ASSERT_EQ(json.status, 0) << json.err;
  std::ofstream(dir_ / "m.json", std::ios::binary) << json.out;
  ASSERT_EQ(inspect(dir_, "--from-json m.json c.dat c.sim c_linea.dat").status, 0);
  EXPECT_EQ(read_file(dir_ / "c.dat"), read_file(dir_ / "L_1.dat"));
  EXPECT_EQ(read_file(dir_ / "c.sim"), read_file(dir_ / "L_1.sim"));
  EXPECT_EQ(read_file(dir_ / "c_linea.dat"), read_file(dir_ / "L_linea.dat"));
  const Outcome no_plot_file = inspect(dir_, "--from-json m.json d.dat d.sim");
  EXPECT_EQ(no_plot_file.status, 2);
  EXPECT_NE(no_plot_file.err.find("name a file for it"), std::string::npos) << no_plot_file.err;
  std::ofstream(dir_ / "bad.json") << "{\"format\": ";
  const Outcome bad = inspect(dir_, "--from-json bad.json e.dat e.sim");
  EXPECT_EQ(bad.status, 2);
  EXPECT_NE(bad.err.find("bad.json: "), std::string::npos) << bad.err;
  EXPECT_FALSE(fs::exists(dir_ / "e.dat"));
}

}  // namespace
}  // namespace compactor::inspect
