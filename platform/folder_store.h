#pragma once
// Files in one folder: read, test, delete, and replace as a whole. A file is
// replaced by writing a temporary file beside it and renaming it over the old
// one, so a failure half way leaves the old file exactly as it was. Files that
// change together are held back as finished temporaries and renamed at the end.

#include <filesystem>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/env.h"
#include "sources/file_sink.h"
#include "sources/messages.h"

namespace compactor {

class FolderStore : public FileSink {
 public:
  explicit FolderStore(std::filesystem::path folder) : folder_(std::move(folder)) {}

  const std::filesystem::path& folder() const { return folder_; }
  std::filesystem::path path_of(const std::string& name) const { return folder_ / name; }

  // Temporary file + rename; throws FileError naming the file and the reason.
  void replace_file(const std::string& name, std::string_view bytes) override;
  void replace_file_from(const std::string& name, ByteSource& source) override;
  // Between begin_set and commit_set every replacement is written and flushed to its
  // temporary only; commit_set puts them in place as one set (commit_file_set): on any
  // failure every old file is whole and no temporary is left.
  void begin_set() override;
  void commit_set() override;
  void abandon_set() override;
  // The whole file, or nullopt when it does not exist; throws FileError on a read error.
  std::optional<std::string> read_file(const std::string& name) const;
  bool exists(const std::string& name) const;
  // Deletes the file when it exists; throws FileError when it cannot.
  void remove_file(const std::string& name);
  // The names replaced so far, in order (a set's once it is in place).
  const std::vector<std::string>& replaced() const { return replaced_; }
  // What could not be tidied after a set was put in place, one line each.
  const std::vector<Message>& notes() const { return notes_; }

 private:
  void place(std::unique_ptr<PendingFile> file);

  std::filesystem::path folder_;
  bool in_set_ = false;
  std::vector<std::unique_ptr<PendingFile>> held_;
  std::vector<std::string> replaced_;
  std::vector<Message> notes_;
};

// Writes bytes to a path by temporary file + rename.
void replace_file_atomically(const std::filesystem::path& path, std::string_view bytes);
// The same with the bytes handed out piece by piece.
void replace_file_atomically(const std::filesystem::path& path, ByteSource& source);

}  // namespace compactor
