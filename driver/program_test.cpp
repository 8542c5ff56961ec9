// The program run as a process, from another folder, the way a user runs it.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>

#include "platform/folder_store.h"
#include "testing/process.h"
#include "testing/temp_folder.h"

namespace compactor {
namespace {

namespace fs = std::filesystem;

const char* const kSixFiles[] = {
    "Rovella_Tirsa_7162_note.txt",
    "Rovella_Tirsa_7162_rallentamenti.txt",
    "Rovella_Tirsa_7162_scheda_treno.txt",
    "Rovella_Tirsa_linea.dat",
    "Rovella_Tirsa_7162.sim",
    "Rovella_Tirsa_7162.dat",
};

// The program's file name: the built one's, so that it stays an .exe where it must be one.
const std::string kProgram = fs::path(PROGRAM_PATH).filename().string();

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    fs::create_directories(dir_ / "bin");
    fs::create_directories(dir_ / "elsewhere");
    fs::copy_file(PROGRAM_PATH, dir_ / "bin" / kProgram);
  }

  // Runs the program from the folder "elsewhere", headless; returns its exit status.
  int run() {
    last_ = testing::run_process({(dir_ / "bin" / kProgram).string()}, dir_ / "elsewhere");
    return last_.status;
  }
  std::map<std::string, std::string> files_in_bin() {
    std::map<std::string, std::string> out;
    FolderStore store(dir_ / "bin");
    for (const auto& e : fs::directory_iterator(dir_ / "bin")) {
      const auto name = e.path().filename().string();
      if (name != kProgram) out[name] = *store.read_file(name);
    }
    return out;
  }
  std::string stderr_text() { return last_.err; }
  testing::TempFolder folder_{"program-test"};
  fs::path dir_ = folder_.path();
  testing::ProcessResult last_;
};

TEST_F(ProgramTest, NormalRunLeavesTheSixFilesBesideTheProgram) {
  ASSERT_EQ(run(), 0) << stderr_text();
  const auto files = files_in_bin();
  EXPECT_EQ(files.size(), 6u);
  for (const char* name : kSixFiles) EXPECT_TRUE(files.count(name)) << name;
  EXPECT_TRUE(fs::is_empty(dir_ / "elsewhere"));
  EXPECT_EQ(files.at("Rovella_Tirsa_linea.dat").size(), 819964u);
  EXPECT_EQ(files.at("Rovella_Tirsa_7162.dat").size(), 12315u);
  EXPECT_EQ(files.at("Rovella_Tirsa_7162_scheda_treno.txt").size(), 2711u);
  EXPECT_EQ(files.at("Rovella_Tirsa_7162_rallentamenti.txt").size(), 1698u);
  EXPECT_EQ(stderr_text(), "");
}

TEST_F(ProgramTest, TwoRunsGiveTheSameBytesAndReplaceEarlierFiles) {
  ASSERT_EQ(run(), 0) << stderr_text();
  const auto first = files_in_bin();
  // Files of the same names with other (longer) content are replaced as a whole.
  FolderStore store(dir_ / "bin");
  for (const auto& [name, bytes] : first) store.replace_file(name, bytes + std::string(5000, 'x'));
  store.replace_file("Rovella_Tirsa_linea.txt", "stale description");
  ASSERT_EQ(run(), 0) << stderr_text();
  EXPECT_EQ(files_in_bin(), first);
}

}  // namespace
}  // namespace compactor
