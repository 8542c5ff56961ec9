#pragma once
// What differs by operating system, behind one header: the program's folder, whole-file
// reads, deletes, the durable replace of a file (temporary beside it, flushed to disk,
// renamed over the old one), the write-fault seam and the exit statuses. One
// implementation per system, env_posix.cpp or env_win32.cpp, chosen by CMake.

#include <cstdint>
#include <filesystem>
#include <memory>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <system_error>

#include "sources/messages.h"

namespace compactor {

// Exit statuses of the program and of its companion tools, the same on every system.
inline constexpr int kExitBuilt = 0;      // built (conflicts of the pass are only warnings)
inline constexpr int kExitErrore = 1;     // errore: reserved place 1250 / 1251 taken
inline constexpr int kExitFileError = 2;  // a file that cannot be read or written; usage errors of the tools
inline constexpr int kExitCompilerFault = 3;  // a compiler fault
inline constexpr int kExitUsage = 2;          // a wrong command line: nothing written

// A file operation the program does not handle itself: names the file and the reason, a
// message of the catalogue (the system's own reason nested in it, system_reason), so that
// each front says it in its user's language; what() says it in English.
class FileError : public std::runtime_error {
 public:
  FileError(const std::filesystem::path& path, Message reason)
      : std::runtime_error(display_path(path) + ": " + render(reason, Language::en)),
        path_(path),
        reason_(std::move(reason)) {}
  const std::filesystem::path& path() const { return path_; }
  // The reason in English, as what() gives it after the path.
  std::string reason() const { return render(reason_, Language::en); }
  const Message& reason_message() const { return reason_; }
  // "PATH: REASON", to render in a language.
  Message message() const { return Message{MessageId::file_reason, {display_path(path_)}, {reason_}}; }
  // The path as UTF-8 text, whatever the system's own encoding of paths.
  static std::string display_path(const std::filesystem::path& path) {
    const std::u8string u8 = path.u8string();
    return std::string(u8.begin(), u8.end());
  }

 private:
  std::filesystem::path path_;
  Message reason_;
};

// The system's reason for a failure (an errno value, or a Windows error) as a message of the
// catalogue: the errors a user meets (a file missing, permission denied, a full disk, a
// folder where a file is wanted ...) have a text of their own in every language, the same
// words on every system; any other keeps the system's own text.
Message system_reason(const std::error_code& error);

// Test seam: lets a test make a chosen low-level step of a file replacement fail.
// Files are counted from 1 in the order their replacement starts, from the last call of
// set_write_fault_injection; the step fails for the file numbered on_replace, whether
// its rename comes at once or at the end of a set.
struct WriteFaultInjection {
  enum class Step { none, open, write, rename };
  Step step = Step::none;
  int on_replace = 0;
  bool short_write = false;  // with Step::write: write half the bytes, then fail
};
void set_write_fault_injection(const WriteFaultInjection& injection);

// The running program's own file, the folder that holds it, and its file name.
std::filesystem::path program_path();
std::filesystem::path program_folder();
std::string program_name();

// A file opened for reading: only a regular file, opened without blocking (O_NONBLOCK, then
// fstat; on Windows the file's type from its handle), so that a FIFO, a device or a folder
// given as input is named and refused instead of waited on or read for ever.
class InputFile {
 public:
  virtual ~InputFile() = default;
  // The size the file had when it was opened.
  virtual uint64_t size() const = 0;
  // Up to n bytes from offset (fewer at the end of the file); throws FileError.
  virtual size_t read_at(uint64_t offset, char* into, size_t n) = 0;
};
// The file, or nullptr when it does not exist. Throws FileError naming what the path is
// when it is not a regular file ("it is a FIFO (named pipe), not a regular file"), or when
// it cannot be opened.
std::unique_ptr<InputFile> open_input(const std::filesystem::path& path);

// Exactly n bytes from offset (fewer only where the file ends); throws FileError.
std::string read_range(InputFile& file, uint64_t offset, size_t n);

// The most a file of a kind can hold, and the kind's name for the refusal ("a description").
struct ReadLimit {
  uint64_t most_bytes = UINT64_MAX;
  MessageId kind = MessageId::limit_this_file;
};

// The whole file, or nullopt when it does not exist; throws FileError on any other failure.
// A file larger than limit allows is refused before a byte of it is read (and one that grows
// past it while it is read, when it is reached), so that memory stays bounded whatever is given.
std::optional<std::string> read_whole_file(const std::filesystem::path& path, const ReadLimit& limit = {});
bool file_exists(const std::filesystem::path& path);
// Deletes the file; a missing file is not an error. Throws FileError when it cannot.
void delete_file(const std::filesystem::path& path);

// A new version of one file, written to a temporary file in the same folder. commit()
// flushes it to disk and renames it over the file, which keeps the old file's
// permission bits; until then the old file is untouched. Destroying an uncommitted
// replacement removes the temporary. Every failure throws FileError naming the file.
class PendingFile {
 public:
  virtual ~PendingFile() = default;
  // Appends the bytes. A file is written either by write or by write_at, never by both.
  virtual void write(std::string_view bytes) = 0;
  // Writes the bytes at the offset, in any order; together the pieces fill the file.
  virtual void write_at(uint64_t offset, std::string_view bytes) = 0;
  // Flushes and closes the temporary; after this only commit() or destruction follow.
  virtual void finish() = 0;
  // Renames the finished temporary over the file.
  virtual void commit() = 0;
  virtual const std::filesystem::path& path() const = 0;
  // Where the bytes wait until commit(): a hidden name beside the file, ".<name>" followed by
  // kTemporaryInfix and six characters of its own (sources/file_names.h). It is removed if
  // the run is stopped before commit() (platform/stop_cleanup.h).
  virtual const std::filesystem::path& temporary() const = 0;
};
// executable: the new file may be run (on POSIX, x bits wherever the umask allows r bits).
std::unique_ptr<PendingFile> begin_replace(const std::filesystem::path& path, bool executable = false);

// Renames a file over another in one step (MoveFileEx on Windows); throws FileError naming to.
void rename_file(const std::filesystem::path& from, const std::filesystem::path& to);
// A second name for an existing file (a hard link), or, where the file system has none, a
// copy flushed to disk. Throws FileError naming to.
void link_or_copy_file(const std::filesystem::path& from, const std::filesystem::path& to);
// Writes a small file in place and flushes it to disk; throws FileError.
void write_file_durably(const std::filesystem::path& path, std::string_view bytes, bool append = false);

// An exclusive hold on a folder for writing (flock on POSIX, LockFileEx on Windows), on a
// hidden lock file that goes when the hold ends.
class FolderLock {
 public:
  virtual ~FolderLock() = default;
};
// The hold, or nullptr when another process holds it now. A folder in which no lock file
// can be made (read-only) gets an empty hold: nothing can be written there anyway, and the
// first write names the file and the reason. Throws FileError for anything else.
std::unique_ptr<FolderLock> try_lock_folder(const std::filesystem::path& folder);

// Makes the renames done in the folder durable (fsync of the folder on POSIX; on Windows
// the renames are written through already).
void sync_folder(const std::filesystem::path& folder);

// Standard input, output and error carry their bytes as they are: "\n", not "\r\n", on
// every system, so that the tools' text and JSON are the same everywhere.
void use_binary_standard_streams();

// Reads what standard input holds now, at most n bytes and at least one: it waits only while
// nothing has come yet. 0 at the end of the input; throws FileError when it cannot be read.
// So a reader of messages gets a burst of them at once, and waits for nothing more.
size_t read_standard_input(char* into, size_t n);

// Why files of names up to longest_name bytes cannot be written in the folder, or nullopt
// when they can: on Windows a full path holds at most 259 characters (MAX_PATH), on POSIX
// PATH_MAX bytes.
std::optional<Message> folder_path_problem(const std::filesystem::path& folder, size_t longest_name);

// Whether a failure written to standard error reaches anyone. A Windows program started
// from the desktop has no console; it shows the failure in a message box instead.
bool has_console();
// Shows a failure in a message box titled with the program's name (Windows), or does nothing.
void show_failure_box(const std::string& text);

}  // namespace compactor
