#pragma once
// Files of one folder that change together, and the one writer of a folder.
//
// A set is committed like a database's rollback journal: the finished temporaries are
// flushed; each old file gets a second name (its backup); a small journal beside the set
// lists every file's name, temporary and backup and is flushed; only then are the
// temporaries renamed over the files. A failed rename puts the backups back. A run that
// was killed half way leaves the journal, and the next writer of the folder finishes the
// switch (every new file was in place) or puts the old set back (otherwise) before doing
// anything else, and removes the temporaries and backups that killed runs left. A stop
// (SIGINT, Ctrl+C) before the journal removes the temporaries and backups; from the journal
// on it leaves everything to the next run, as a kill does.

#include <chrono>
#include <filesystem>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/env.h"
#include "sources/messages.h"

namespace compactor {

inline constexpr std::string_view kJournalName = ".compactor-journal";

// A journal lists a set of a few files: a longer one is none of ours.
inline constexpr uint64_t kMostJournalBytes = 64 * 1024;

// Renames the finished files over their names as one set (see above), then removes the
// backups and the journal. On a failure every old file is back in place and the
// temporaries are gone; the FileError names the file that failed and says so. Returns a
// note for each backup or journal that could not be removed afterwards (the set is in
// place; the next run removes them).
std::vector<Message> commit_file_set(const std::filesystem::path& folder,
                                     std::vector<std::unique_ptr<PendingFile>>& files);

// Finishes or undoes an interrupted set, then removes the temporaries and backups killed
// runs left beside the files named in own (beside any file of a build when own is empty):
// only names of their exact form, never an author's file. One note (a message of the
// catalogue, a line on standard error) for each thing it did, with what it removed and how
// much, or could not do (a failed removal included).
std::vector<Message> recover_folder(const std::filesystem::path& folder, const std::vector<std::string>& own);

// Whether a killed run left a set half switched in the folder.
bool has_interrupted_write(const std::filesystem::path& folder);

// What a folder whose set could not be put back holds until it is recovered, and the
// command that recovers it, for a closing line.
Message mixed_set_message(const std::filesystem::path& folder);
std::string mixed_set_text(const std::filesystem::path& folder);

// What every writer of a folder does first: takes the folder's lock, waiting up to wait
// for another run to finish, then recovers the folder (recover_folder, with the names of
// the files this writer writes). Throws FileError naming the folder ("another run is
// writing this folder") when the lock stays held, or when the folder is named by an empty
// path. The lock is held until the session ends.
class FolderSession {
 public:
  FolderSession(const std::filesystem::path& folder, const std::vector<std::string>& own,
                std::chrono::milliseconds wait = std::chrono::seconds(5));
  // What recovery did, one note each.
  const std::vector<Message>& notes() const { return notes_; }

 private:
  std::unique_ptr<FolderLock> lock_;
  std::vector<Message> notes_;
};

}  // namespace compactor
