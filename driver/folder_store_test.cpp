#include "driver/folder_store.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>

namespace compactor {
namespace {

namespace fs = std::filesystem;

class FolderStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = fs::temp_directory_path() / ("store_test_" + std::to_string(::getpid()) + "_" +
                                        ::testing::UnitTest::GetInstance()->current_test_info()->name());
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override {
    set_write_fault_injection({});
    fs::permissions(dir_, fs::perms::owner_all, fs::perm_options::add);
    fs::remove_all(dir_);
  }
  size_t entries() const { return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), {})); }
  fs::path dir_;
};

TEST_F(FolderStoreTest, ReplaceWritesExactBytesAndShortensLongerFiles) {
  FolderStore store(dir_);
  store.replace_file("a.dat", std::string("a much longer earlier content"));
  store.replace_file("a.dat", std::string("\x00\x01\r\n", 4));
  EXPECT_EQ(store.read_file("a.dat"), std::string("\x00\x01\r\n", 4));
  EXPECT_EQ(entries(), 1u);
}

TEST_F(FolderStoreTest, MissingFileReadsAsAbsentAndDeletesQuietly) {
  FolderStore store(dir_);
  EXPECT_FALSE(store.read_file("none.txt").has_value());
  EXPECT_FALSE(store.exists("none.txt"));
  EXPECT_NO_THROW(store.remove_file("none.txt"));
  store.replace_file("x.txt", "x");
  EXPECT_TRUE(store.exists("x.txt"));
  store.remove_file("x.txt");
  EXPECT_FALSE(store.exists("x.txt"));
}

TEST_F(FolderStoreTest, EveryInjectedFailureKeepsTheOldFileAndLeavesNoTemporary) {
  struct Case {
    WriteFaultInjection::Step step;
    bool short_write;
    const char* reason;
  };
  const Case cases[] = {
      {WriteFaultInjection::Step::open, false, "cannot create"},
      {WriteFaultInjection::Step::write, false, "cannot write"},
      {WriteFaultInjection::Step::write, true, "cannot write"},
      {WriteFaultInjection::Step::rename, false, "cannot replace"},
  };
  for (const auto& c : cases) {
    FolderStore store(dir_);
    set_write_fault_injection({});
    store.replace_file("old.sim", "old content");
    set_write_fault_injection({c.step, 1, c.short_write});
    try {
      store.replace_file("old.sim", "new content that is longer");
      ADD_FAILURE() << "no failure";
    } catch (const FileError& e) {
      EXPECT_EQ(e.path(), dir_ / "old.sim");
      EXPECT_NE(e.reason().find(c.reason), std::string::npos) << e.reason();
    }
    EXPECT_EQ(store.read_file("old.sim"), "old content");
    EXPECT_EQ(entries(), 1u) << "a temporary file was left behind";
  }
}

TEST_F(FolderStoreTest, InjectionCountsReplaceCalls) {
  FolderStore store(dir_);
  set_write_fault_injection({WriteFaultInjection::Step::rename, 2, false});
  EXPECT_NO_THROW(store.replace_file("1", "a"));
  EXPECT_THROW(store.replace_file("2", "b"), FileError);
  EXPECT_NO_THROW(store.replace_file("3", "c"));
  EXPECT_FALSE(store.exists("2"));
}

TEST_F(FolderStoreTest, ReadOnlyFolderIsAFileErrorNamingTheFile) {
  if (::geteuid() == 0) {
    // root ignores folder permissions; the injected open failure covers the same path
    GTEST_SKIP() << "running as root";
  }
  FolderStore store(dir_);
  store.replace_file("keep.txt", "kept");
  fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_THROW(store.replace_file("keep.txt", "lost?"), FileError);
  EXPECT_EQ(store.read_file("keep.txt"), "kept");
}

}  // namespace
}  // namespace compactor
