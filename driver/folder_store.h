#pragma once
// Files in one folder: read, test, delete, and replace as a whole. A file is
// replaced by writing a temporary file beside it and renaming it over the old
// one, so a failure half way leaves the old file exactly as it was.

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>

#include "sources/file_sink.h"

namespace compactor {

// A file operation the program does not handle itself: names the file and the system's reason.
class FileError : public std::runtime_error {
 public:
  FileError(const std::filesystem::path& path, const std::string& reason)
      : std::runtime_error(path.string() + ": " + reason), path_(path), reason_(reason) {}
  const std::filesystem::path& path() const { return path_; }
  const std::string& reason() const { return reason_; }

 private:
  std::filesystem::path path_;
  std::string reason_;
};

// Test seam: lets a test make a chosen low-level step of replace_file fail.
struct WriteFaultInjection {
  enum class Step { none, open, write, rename };
  Step step = Step::none;
  int on_replace = 0;        // fails the n-th replace_file call (1-based) of the process
  bool short_write = false;  // with Step::write: write half the bytes, then fail
};
void set_write_fault_injection(const WriteFaultInjection& injection);

class FolderStore : public FileSink {
 public:
  explicit FolderStore(std::filesystem::path folder) : folder_(std::move(folder)) {}

  const std::filesystem::path& folder() const { return folder_; }
  std::filesystem::path path_of(const std::string& name) const { return folder_ / name; }

  // Temporary file + rename; throws FileError naming the file and the reason.
  void replace_file(const std::string& name, std::string_view bytes) override;
  void replace_file_from(const std::string& name, ByteSource& source) override;
  // The whole file, or nullopt when it does not exist; throws FileError on a read error.
  std::optional<std::string> read_file(const std::string& name) const;
  bool exists(const std::string& name) const;
  // Deletes the file when it exists; throws FileError when it cannot.
  void remove_file(const std::string& name);

 private:
  std::filesystem::path folder_;
};

// Writes bytes to a path by temporary file + rename.
void replace_file_atomically(const std::filesystem::path& path, std::string_view bytes);
// The same with the bytes handed out piece by piece.
void replace_file_atomically(const std::filesystem::path& path, ByteSource& source);

}  // namespace compactor
