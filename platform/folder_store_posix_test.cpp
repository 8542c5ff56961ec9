// The file store on POSIX: permission bits and folder permissions.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>

#include "platform/folder_store.h"
#include "testing/temp_folder.h"

namespace compactor {
namespace {

namespace fs = std::filesystem;

mode_t mode_of(const fs::path& path) {
  struct stat st {};
  EXPECT_EQ(::stat(path.c_str(), &st), 0);
  return st.st_mode & 07777;
}

TEST(FolderStorePosixTest, ReplacedFileKeepsItsPermissionBits) {
  testing::TempFolder dir("store-mode");
  FolderStore store(dir.path());
  for (const mode_t mode : {mode_t{0600}, mode_t{0640}, mode_t{0755}, mode_t{0444}}) {
    store.replace_file("f.dat", "old");
    ASSERT_EQ(::chmod((dir / "f.dat").c_str(), mode), 0);
    store.replace_file("f.dat", "new");
    EXPECT_EQ(mode_of(dir / "f.dat"), mode);
    EXPECT_EQ(store.read_file("f.dat"), "new");
  }
}

TEST(FolderStorePosixTest, NewFileTakesTheUmask) {
  testing::TempFolder dir("store-mode");
  const mode_t old_mask = ::umask(027);
  FolderStore(dir.path()).replace_file("n.dat", "x");
  ::umask(old_mask);
  EXPECT_EQ(mode_of(dir / "n.dat"), 0640u);
}

TEST(FolderStorePosixTest, FlushingAMissingFolderIsAFileError) {
  testing::TempFolder dir("store-sync");
  EXPECT_NO_THROW(sync_folder(dir.path()));
  EXPECT_THROW(sync_folder(dir / "missing"), FileError);
}

TEST(FolderStorePosixTest, ReadOnlyFolderIsAFileErrorNamingTheFile) {
  if (::geteuid() == 0) {
    // root ignores folder permissions; the injected open failure covers the same path
    GTEST_SKIP() << "running as root";
  }
  testing::TempFolder dir("store-ro");
  const fs::path dir_ = dir.path();
  FolderStore store(dir_);
  store.replace_file("keep.txt", "kept");
  fs::permissions(dir_, fs::perms::owner_read | fs::perms::owner_exec);
  EXPECT_THROW(store.replace_file("keep.txt", "lost?"), FileError);
  EXPECT_EQ(store.read_file("keep.txt"), "kept");
}

}  // namespace
}  // namespace compactor
