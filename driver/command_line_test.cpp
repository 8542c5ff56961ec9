// The program's command line: --help and --version print and write nothing, any other
// argument is a usage error with status 2 and nothing written.
#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "testing/process.h"
#include "testing/temp_folder.h"

namespace compactor {
namespace {

namespace fs = std::filesystem;

const Scenario kScenario{"Rovella_Tirsa", "7162", {}, {}};

TEST(CommandLineTest, NoArgumentBuilds) {
  EXPECT_EQ(read_command_line("p", {}, kScenario).action, CommandLine::Action::build);
}

TEST(CommandLineTest, HelpNamesTheSixFilesAndTheOptions) {
  const CommandLine cl = read_command_line("rovella_tirsa_7162", {"--help"}, kScenario);
  ASSERT_EQ(cl.action, CommandLine::Action::help);
  EXPECT_EQ(cl.text.rfind("Usage: rovella_tirsa_7162 [--help | --version]\n", 0), 0u) << cl.text;
  for (const char* name : {"Rovella_Tirsa_7162_note.txt", "Rovella_Tirsa_7162_rallentamenti.txt",
                           "Rovella_Tirsa_7162_scheda_treno.txt", "Rovella_Tirsa_linea.dat",
                           "Rovella_Tirsa_7162.sim", "Rovella_Tirsa_7162.dat", "--version"})
    EXPECT_NE(cl.text.find(name), std::string::npos) << name;
}

TEST(CommandLineTest, VersionIsOneLine) {
  const CommandLine cl = read_command_line("rovella_tirsa_7162", {"--version"}, kScenario);
  ASSERT_EQ(cl.action, CommandLine::Action::version);
  EXPECT_EQ(cl.text, "rovella_tirsa_7162 " COMPACTOR_TEST_VERSION " (scenario Rovella_Tirsa / 7162)\n");
}

TEST(CommandLineTest, AnyOtherArgumentIsAUsageErrorNamingIt) {
  struct Case {
    std::vector<std::string> args;
    const char* message;
  };
  const Case cases[] = {
      {{"--frobnicate"}, "p: unknown option '--frobnicate'; it takes no argument (see p --help), nothing written\n"},
      {{"-h"}, "p: unknown option '-h'; it takes no argument (see p --help), nothing written\n"},
      {{"out"}, "p: unexpected argument 'out'; it takes no argument (see p --help), nothing written\n"},
      {{"-"}, "p: unexpected argument '-'; it takes no argument (see p --help), nothing written\n"},
      {{""}, "p: unexpected argument ''; it takes no argument (see p --help), nothing written\n"},
      {{"--help", "x"}, "p: unexpected argument 'x'; it takes no argument (see p --help), nothing written\n"},
      {{"--version", "--help"},
       "p: unknown option '--help'; it takes no argument (see p --help), nothing written\n"},
  };
  for (const Case& c : cases) {
    const CommandLine cl = read_command_line("p", c.args, kScenario);
    EXPECT_EQ(cl.action, CommandLine::Action::usage_error) << c.args[0];
    EXPECT_EQ(cl.text, c.message);
  }
}

// The program itself, copied into a folder of its own and run with arguments.
class ProgramCommandLineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_ / "bin");
    fs::copy_file(PROGRAM_PATH, dir_ / "bin" / kProgram);
  }
  testing::ProcessResult run(const std::string& arg) {
    return testing::run_process({(dir_ / "bin" / kProgram).string(), arg}, dir_);
  }
  // Nothing but the program itself in its folder.
  void expect_nothing_written() {
    int entries = 0;
    for (const auto& e : fs::directory_iterator(dir_ / "bin")) {
      ++entries;
      EXPECT_EQ(e.path().filename(), kProgram);
    }
    EXPECT_EQ(entries, 1);
  }
  // The built program's file name, so that it stays an .exe where it must be one.
  const std::string kProgram = fs::path(PROGRAM_PATH).filename().string();
  testing::TempFolder folder_{"command-line-test"};
  fs::path dir_ = folder_.path();
};

TEST_F(ProgramCommandLineTest, HelpPrintsUsageAndWritesNothing) {
  const testing::ProcessResult r = run("--help");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out.rfind("Usage: rovella_tirsa_7162 [--help | --version]\n", 0), 0u) << r.out;
  EXPECT_EQ(r.err, "");
  expect_nothing_written();
}

TEST_F(ProgramCommandLineTest, VersionPrintsOneLineAndWritesNothing) {
  const testing::ProcessResult r = run("--version");
  EXPECT_EQ(r.status, 0);
  EXPECT_EQ(r.out, "rovella_tirsa_7162 " COMPACTOR_TEST_VERSION " (scenario Rovella_Tirsa / 7162)\n");
  EXPECT_EQ(r.err, "");
  expect_nothing_written();
}

TEST_F(ProgramCommandLineTest, UnknownArgumentExitsTwoAndWritesNothing) {
  const testing::ProcessResult r = run("--frobnicate");
  EXPECT_EQ(r.status, 2);
  EXPECT_EQ(r.out, "");
  EXPECT_EQ(r.err,
            "rovella_tirsa_7162: unknown option '--frobnicate'; it takes no argument "
            "(see rovella_tirsa_7162 --help), nothing written\n");
  expect_nothing_written();
}

}  // namespace
}  // namespace compactor
