#include "platform/folder_store.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <filesystem>
#include <memory>

#include "platform/set_commit.h"
#include "testing/temp_folder.h"

namespace compactor {
namespace {

namespace fs = std::filesystem;

class FolderStoreTest : public ::testing::Test {
 protected:
  void TearDown() override { set_write_fault_injection({}); }
  size_t entries() const { return static_cast<size_t>(std::distance(fs::directory_iterator(dir_), {})); }
  std::unique_ptr<testing::TempFolder> folder_ = std::make_unique<testing::TempFolder>("store-test");
  fs::path dir_ = folder_->path();
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

// Three files that change together, with a failure injected at each write and each rename
// in turn: the old set stays whole, the files renamed before a failed rename put back.
TEST_F(FolderStoreTest, ASetChangesTogetherOrNotAtAll) {
  const char* const names[] = {"p_linea.dat", "p.sim", "p.dat"};
  struct Case {
    WriteFaultInjection::Step step;
    int file;
    int new_files;  // how many of the set are new afterwards
  };
  const Case cases[] = {
      {WriteFaultInjection::Step::open, 1, 0},   {WriteFaultInjection::Step::open, 3, 0},
      {WriteFaultInjection::Step::write, 1, 0},  {WriteFaultInjection::Step::write, 2, 0},
      {WriteFaultInjection::Step::write, 3, 0},  {WriteFaultInjection::Step::rename, 1, 0},
      {WriteFaultInjection::Step::rename, 2, 0}, {WriteFaultInjection::Step::rename, 3, 0},
      {WriteFaultInjection::Step::none, 0, 3},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(::testing::Message() << "step " << static_cast<int>(c.step) << " at file " << c.file);
    FolderStore store(dir_);
    set_write_fault_injection({});
    for (const char* name : names) store.replace_file(name, std::string("old ") + name);
    set_write_fault_injection({c.step, c.file, false});
    store.begin_set();
    try {
      for (const char* name : names) store.replace_file(name, std::string("new ") + name);
      // Nothing is in place before the set is committed.
      for (const char* name : names) EXPECT_EQ(store.read_file(name), std::string("old ") + name);
      store.commit_set();
      EXPECT_EQ(c.step, WriteFaultInjection::Step::none) << "no failure";
    } catch (const FileError& e) {
      EXPECT_EQ(e.path(), dir_ / names[c.file - 1]);
      store.abandon_set();
    }
    for (int i = 0; i < 3; ++i)
      EXPECT_EQ(store.read_file(names[i]), std::string(i < c.new_files ? "new " : "old ") + names[i]);
    EXPECT_EQ(entries(), 3u) << "a temporary file was left behind";
  }
}

TEST_F(FolderStoreTest, AbandonedSetRemovesItsTemporaries) {
  FolderStore store(dir_);
  store.replace_file("a", "old");
  store.begin_set();
  store.replace_file("a", "new");
  store.replace_file("b", "new");
  EXPECT_EQ(entries(), 3u);  // "a" and two temporaries
  store.abandon_set();
  EXPECT_EQ(entries(), 1u);
  EXPECT_EQ(store.read_file("a"), "old");
  EXPECT_FALSE(store.exists("b"));
}

// The states a killed run can leave two files in, built by hand, and what the next
// writer of the folder makes of each: the new pair whole, or the old pair whole.
TEST_F(FolderStoreTest, RecoveryFinishesOrUndoesAnInterruptedSet) {
  struct Case {
    const char* label;
    bool a_renamed, b_renamed;  // the new file is in place, its temporary gone
    const char* tail;           // after the journal's entries
    bool a_backup_used;         // a was put back already by an undo cut short
    const char* result;         // "old" or "new"
  };
  const Case cases[] = {
      {"journal cut short", false, false, "fi", false, "old"},
      {"no rename yet", false, false, "end\n", false, "old"},
      {"one of two renamed", true, false, "end\n", false, "old"},
      {"both renamed", true, true, "end\n", false, "new"},
      {"undo cut short", true, true, "end\nrollback\n", true, "old"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.label);
    fs::remove_all(dir_);
    fs::create_directories(dir_);
    FolderStore store(dir_);
    for (const char* n : {"a", "b"}) store.replace_file(n, std::string("old ") + n);
    std::string journal = "compactor set 1\n";
    for (const auto& [n, renamed] : {std::pair{"a", c.a_renamed}, std::pair{"b", c.b_renamed}}) {
      const std::string temp = std::string(".") + n + ".new-x", backup = std::string(".") + n + ".set-old";
      journal += std::string("file\t") + n + "\t" + temp + "\t" + backup + "\n";
      if (!(c.a_backup_used && n == std::string("a"))) store.replace_file(backup, std::string("old ") + n);
      store.replace_file(renamed ? n : temp, std::string("new ") + n);
      if (c.a_backup_used && n == std::string("a")) store.replace_file(n, "old a");
    }
    store.replace_file(std::string(kJournalName), journal + c.tail);
    store.replace_file(".a.compactor-tmp-x1Y2z3", "left by a killed run");
    EXPECT_TRUE(has_interrupted_write(dir_));

    // One note for the set, one for the stale temporary.
    EXPECT_EQ(FolderSession(dir_, {"a", "b"}).notes().size(), 2u);
    for (const char* n : {"a", "b"}) EXPECT_EQ(store.read_file(n), std::string(c.result) + " " + n);
    EXPECT_EQ(entries(), 2u) << "a temporary, backup, journal or lock was left";
  }
  // A complete journal that does not read is left alone, and nothing is changed.
  FolderStore store(dir_);
  store.replace_file(std::string(kJournalName), "compactor set 1\nfile\t../x\t.t\t-\nend\n");
  EXPECT_THROW(FolderSession(dir_, {}), FileError);
  EXPECT_TRUE(has_interrupted_write(dir_));
}

// The system's reasons a user meets come in the catalogue's words, the same on every system
// and in Italian too; any other keeps the system's own text.
TEST(SystemReason, TheReasonsAUserMeetsAreTheCataloguesAnyOtherTheSystems) {
  struct Case {
    int error;
    const char* en;
    const char* it;
  };
  const Case cases[] = {{ENOENT, "No such file or directory", "file o cartella inesistente"},
                        {EACCES, "Permission denied", "permesso negato"},
                        {ENOSPC, "No space left on device", "spazio esaurito sul disco"},
                        {EISDIR, "Is a directory", "è una cartella"},
                        {EROFS, "Read-only file system", "file system di sola lettura"}};
  for (const Case& c : cases) {
    const Message reason = system_reason(std::error_code(c.error, std::generic_category()));
    EXPECT_EQ(render(reason, Language::en), c.en);
    EXPECT_EQ(render(reason, Language::it), c.it);
  }
  const Message other = system_reason(std::error_code(EDOM, std::generic_category()));
  EXPECT_EQ(render(other, Language::it), std::generic_category().message(EDOM));
}

}  // namespace
}  // namespace compactor
