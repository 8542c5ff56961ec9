// The file store on Windows: files held open by another program, read-only files, folders
// with non-ASCII names and names Windows cannot hold.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <optional>

#include "platform/folder_store.h"
#include "platform/set_commit.h"
#include "testing/temp_folder.h"

namespace compactor {
namespace {

namespace fs = std::filesystem;

size_t entries(const fs::path& dir) {
  return static_cast<size_t>(std::distance(fs::directory_iterator(dir), fs::directory_iterator()));
}

// An open handle on the file, as the simulator holds a compiled file it has loaded.
class Holder {
 public:
  Holder(const fs::path& path, DWORD share)
      : handle_(CreateFileW(path.c_str(), GENERIC_READ, share, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL,
                            nullptr)) {}
  ~Holder() {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  }
  bool open() const { return handle_ != INVALID_HANDLE_VALUE; }

 private:
  HANDLE handle_;
};

TEST(FolderStoreWin32Test, ReplacingOverAnExistingFileLeavesOnlyTheNewBytes) {
  testing::TempFolder dir("store-win32");
  FolderStore store(dir.path());
  store.replace_file("a.dat", std::string(3000, 'o'));
  store.replace_file("a.dat", "new");
  EXPECT_EQ(store.read_file("a.dat"), "new");
  EXPECT_EQ(entries(dir.path()), 1u);
}

TEST(FolderStoreWin32Test, FileHeldOpenIsReportedInUseAndStaysWhole) {
  testing::TempFolder dir("store-win32");
  FolderStore store(dir.path());
  store.replace_file("L_1.sim", "old");
  Holder holder(dir / "L_1.sim", FILE_SHARE_READ);
  ASSERT_TRUE(holder.open());
  try {
    store.replace_file("L_1.sim", "new");
    ADD_FAILURE() << "a file held open was replaced";
  } catch (const FileError& e) {
    EXPECT_EQ(e.path(), dir / "L_1.sim");
    EXPECT_EQ(e.reason(), "cannot replace: the file is in use by another program");
  }
  EXPECT_EQ(store.read_file("L_1.sim"), "old");
  EXPECT_EQ(entries(dir.path()), 1u) << "a temporary file was left behind";
}

// With share-delete the holder allows a rename over the file; whether the system grants it
// or not, the file is either the old one or the new one, whole, and no temporary remains.
TEST(FolderStoreWin32Test, FileHeldOpenWithShareDeleteIsReplacedOrKeptWhole) {
  testing::TempFolder dir("store-win32");
  FolderStore store(dir.path());
  store.replace_file("L_1.dat", "old");
  bool replaced = false;
  {
    Holder holder(dir / "L_1.dat", FILE_SHARE_READ | FILE_SHARE_DELETE);
    ASSERT_TRUE(holder.open());
    try {
      store.replace_file("L_1.dat", "new");
      replaced = true;
    } catch (const FileError& e) {
      EXPECT_EQ(e.path(), dir / "L_1.dat");
      EXPECT_EQ(e.reason().rfind("cannot replace: ", 0), 0u) << e.reason();
    }
  }
  EXPECT_EQ(store.read_file("L_1.dat"), replaced ? "new" : "old");
  EXPECT_EQ(entries(dir.path()), 1u) << "a temporary file was left behind";
}

// A set whose slot table is held open by the simulator, or whose last rename fails: the
// files renamed before it are put back, and the folder holds the old set and nothing else.
TEST(FolderStoreWin32Test, ASetKeepsTheOldFilesWhenOneCannotBeReplaced) {
  const char* const names[] = {"L_linea.dat", "L_1.sim", "L_1.dat"};
  for (const bool held : {true, false}) {
    SCOPED_TRACE(held ? "held open" : "failed rename");
    testing::TempFolder dir("store-win32");
    FolderStore store(dir.path());
    for (const char* name : names) store.replace_file(name, std::string("old ") + name);
    {
      std::optional<Holder> holder;
      if (held) {
        holder.emplace(dir / names[1], FILE_SHARE_READ);
        ASSERT_TRUE(holder->open());
      }
      set_write_fault_injection({held ? WriteFaultInjection::Step::none : WriteFaultInjection::Step::rename, 3,
                                 false});
      store.begin_set();
      for (const char* name : names) store.replace_file(name, std::string("new ") + name);
      try {
        store.commit_set();
        ADD_FAILURE() << "the set was committed";
      } catch (const FileError& e) {
        EXPECT_EQ(e.path(), dir / names[held ? 1 : 2]);
      }
      set_write_fault_injection({});
    }
    for (const char* name : names) EXPECT_EQ(store.read_file(name), std::string("old ") + name);
    // The backup of a file held open cannot go while it is held: the next run removes it.
    EXPECT_EQ(FolderSession(dir.path(), {names, names + 3}).notes().size(), held ? 1u : 0u);
    EXPECT_EQ(entries(dir.path()), 3u) << "a temporary, backup or journal was left behind";
  }
}

TEST(FolderStoreWin32Test, ReadOnlyFileIsNotReplaced) {
  testing::TempFolder dir("store-win32");
  FolderStore store(dir.path());
  store.replace_file("ro.dat", "old");
  ASSERT_TRUE(SetFileAttributesW((dir / "ro.dat").c_str(), FILE_ATTRIBUTE_READONLY));
  try {
    store.replace_file("ro.dat", "new");
    ADD_FAILURE() << "a read-only file was replaced";
  } catch (const FileError& e) {
    EXPECT_EQ(e.reason(), "cannot replace: the file is read-only");
  }
  EXPECT_EQ(store.read_file("ro.dat"), "old");
  EXPECT_EQ(entries(dir.path()), 1u) << "a temporary file was left behind";
  SetFileAttributesW((dir / "ro.dat").c_str(), FILE_ATTRIBUTE_NORMAL);
}

TEST(FolderStoreWin32Test, FolderWithNonAsciiCharactersWorks) {
  testing::TempFolder dir("store-win32");
  const fs::path folder = dir.path() / L"Zo\u00eb \u65e5\u672c Giochi";
  fs::create_directory(folder);
  FolderStore store(folder);
  store.replace_file("Rovella_Tirsa_7162.dat", "bytes");
  EXPECT_EQ(store.read_file("Rovella_Tirsa_7162.dat"), "bytes");
  EXPECT_TRUE(store.exists("Rovella_Tirsa_7162.dat"));
  store.remove_file("Rovella_Tirsa_7162.dat");
  EXPECT_FALSE(store.exists("Rovella_Tirsa_7162.dat"));
  // A failure names the folder in UTF-8.
  const FileError error(folder / "x", msg(MessageId::text, "why"));
  EXPECT_NE(std::string(error.what()).find("Zo\xc3\xab \xe6\x97\xa5\xe6\x9c\xac Giochi"), std::string::npos)
      << error.what();
}

TEST(FolderStoreWin32Test, NameWindowsCannotHoldIsAFileErrorAndLeavesNothing) {
  testing::TempFolder dir("store-win32");
  FolderStore store(dir.path());
  for (const char* name : {"a<b.dat", "x?.sim", "p|q"}) {
    EXPECT_THROW(store.replace_file(name, "bytes"), FileError) << name;
    EXPECT_EQ(entries(dir.path()), 0u) << name;
  }
}

}  // namespace
}  // namespace compactor
