// The program run as a process, from another folder, the way a user runs it.
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "driver/folder_store.h"

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

class ProgramTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("program_test_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_ / "bin");
    fs::create_directories(dir_ / "elsewhere");
    fs::copy_file(PROGRAM_PATH, dir_ / "bin" / "rovella_tirsa_7162");
  }
  void TearDown() override { fs::remove_all(dir_); }

  // Runs the program from the folder "elsewhere", headless; returns its exit status.
  int run() {
    const std::string cmd = "cd '" + (dir_ / "elsewhere").string() + "' && env -u DISPLAY '" +
                            (dir_ / "bin" / "rovella_tirsa_7162").string() + "' 2>'" +
                            (dir_ / "stderr.txt").string() + "'";
    const int rc = std::system(cmd.c_str());
    return WIFEXITED(rc) ? WEXITSTATUS(rc) : -1;
  }
  std::map<std::string, std::string> files_in_bin() {
    std::map<std::string, std::string> out;
    FolderStore store(dir_ / "bin");
    for (const auto& e : fs::directory_iterator(dir_ / "bin")) {
      const auto name = e.path().filename().string();
      if (name != "rovella_tirsa_7162") out[name] = *store.read_file(name);
    }
    return out;
  }
  std::string stderr_text() { return *FolderStore(dir_).read_file("stderr.txt"); }
  fs::path dir_;
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
