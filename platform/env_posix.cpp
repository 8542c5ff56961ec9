// The platform layer on Linux and other POSIX systems.
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <limits>
#include <vector>

#include "platform/env.h"
#include "platform/fault_seam.h"
#include "platform/hidden_names.h"
#include "platform/input_file.h"
#include "platform/stop_cleanup.h"
#include "sources/file_names.h"

namespace compactor {
namespace {

// A step that failed, with the system's reason: "cannot open: No such file or directory".
Message failed(MessageId step, int err) { return Message{step, {}, {errno_reason(err)}}; }

std::filesystem::path program_file() {
  std::error_code ec;
  auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) throw FileError("/proc/self/exe", Message{MessageId::fe_program_folder, {}, {system_reason(ec)}});
  return exe;
}

class PosixPendingFile : public PendingFile {
 public:
  PosixPendingFile(const std::filesystem::path& path, bool executable)
      : path_(path), number_(fault_seam::next_file()), executable_(executable) {
    std::filesystem::path dir = path.parent_path();
    if (dir.empty()) dir = ".";
    // A hidden name of its own in the same folder, so the rename stays on one file system;
    // it is registered for removal on a stop before the file exists.
    const bool inject_open = fault_seam::fails(WriteFaultInjection::Step::open, number_);
    int err = EACCES;
    for (int attempt = 0; attempt < 100 && fd_ < 0 && !inject_open; ++attempt) {
      temp_path_ = dir / new_hidden_name(path.filename().string(), kTemporaryInfix);
      on_stop_ = RemovedOnStop(temp_path_);
      fd_ = ::open(temp_path_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
      err = errno;
      if (fd_ < 0 && err != EEXIST) break;
    }
    if (fd_ < 0) {
      on_stop_.release();
      throw FileError(path, failed(MessageId::fe_temporary, err));
    }
    temp_ = temp_path_.string();
    inject_write_ = fault_seam::fails(WriteFaultInjection::Step::write, number_);
  }

  ~PosixPendingFile() override {
    if (fd_ >= 0) ::close(fd_);
    if (!temp_.empty()) ::unlink(temp_.c_str());
  }

  void write(std::string_view piece) override {
    if (inject_write_) {
      // An injected failure writes half of the piece (or nothing) and fails.
      write_all(fault_seam::short_write() ? piece.substr(0, piece.size() / 2) : std::string_view());
      fail(MessageId::fe_write, ENOSPC);
    }
    write_all(piece);
    start_writeback();
  }

  void write_at(uint64_t offset, std::string_view piece) override {
    if (inject_write_) {
      write_all_at(offset, fault_seam::short_write() ? piece.substr(0, piece.size() / 2) : std::string_view());
      fail(MessageId::fe_write, ENOSPC);
    }
    write_all_at(offset, piece);
    start_writeback();
  }

  void finish() override {
    // A replaced file keeps the old file's permission bits; a new one gets rw-rw-rw- less the umask.
    struct stat old {};
    mode_t mode;
    if (::stat(path_.c_str(), &old) == 0) {
      mode = old.st_mode & 07777;
    } else {
      const mode_t mask = ::umask(0);
      ::umask(mask);
      mode = 0666 & ~mask;
    }
    if (executable_) mode |= (mode & 0444) >> 2;
    if (::fchmod(fd_, mode) != 0) fail(MessageId::fe_permissions, errno);
    if (::fsync(fd_) != 0) fail(MessageId::fe_write, errno);
    const int rc = ::close(fd_);
    fd_ = -1;
    if (rc != 0) fail(MessageId::fe_write, errno);
  }

  void commit() override {
    const int rc = fault_seam::fails(WriteFaultInjection::Step::rename, number_)
                       ? (errno = EACCES, -1)
                       : ::rename(temp_.c_str(), path_.c_str());
    if (rc != 0) fail(MessageId::fe_replace, errno);
    temp_.clear();
    on_stop_.release();
  }

  const std::filesystem::path& path() const override { return path_; }
  const std::filesystem::path& temporary() const override { return temp_path_; }

 private:
  void write_all(std::string_view piece) {
    size_t done = 0;
    while (done < piece.size()) {
      const ssize_t n = ::write(fd_, piece.data() + done, piece.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        fail(MessageId::fe_write, errno);
      }
      done += static_cast<size_t>(n);
      written_ += n;
    }
  }

  void write_all_at(uint64_t offset, std::string_view piece) {
    size_t done = 0;
    while (done < piece.size()) {
      const uint64_t at = offset + done;
      if (at > static_cast<uint64_t>(std::numeric_limits<off_t>::max())) fail(MessageId::fe_write, EFBIG);
      const ssize_t n = ::pwrite(fd_, piece.data() + done, piece.size() - done, static_cast<off_t>(at));
      if (n < 0) {
        if (errno == EINTR) continue;
        fail(MessageId::fe_write, errno);
      }
      done += static_cast<size_t>(n);
      written_ += n;
    }
  }

  // Starts writing what has been written so far to the disk, without waiting for it, once
  // a megabyte has gathered: the disk then works while the rest is computed, and the fsync
  // at the end only waits for the last of it. The whole file is asked for, as its pieces
  // may have been written anywhere; what is on its way already is not written again. Only
  // a hint: failures are reported by the fsync.
  void start_writeback() {
    constexpr off_t kWritebackBytes = off_t{1} << 20;
    if (written_ - flushed_ < kWritebackBytes) return;
#ifdef SYNC_FILE_RANGE_WRITE
    ::sync_file_range(fd_, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
    flushed_ = written_;
  }

  // Removes the temporary and throws; the old file stays as it was.
  [[noreturn]] void fail(MessageId step, int err) {
    if (fd_ >= 0) ::close(fd_);
    fd_ = -1;
    if (!temp_.empty()) ::unlink(temp_.c_str());
    temp_.clear();
    on_stop_.release();
    throw FileError(path_, failed(step, err));
  }

  std::filesystem::path path_;
  int number_;
  int fd_ = -1;
  std::string temp_;
  bool executable_;
  std::filesystem::path temp_path_;
  bool inject_write_ = false;
  off_t written_ = 0;  // bytes written to the temporary so far
  off_t flushed_ = 0;  // of which the disk has been asked to write (or as many)
  RemovedOnStop on_stop_;  // released once the temporary is renamed or removed
};

}  // namespace

std::filesystem::path program_path() { return program_file(); }
std::filesystem::path program_folder() { return program_file().parent_path(); }

std::string program_name() {
  try {
    return program_file().filename().string();
  } catch (const FileError&) {
    return "compactor";
  }
}

namespace {

class PosixInputFile : public InputFile {
 public:
  PosixInputFile(int fd, const std::filesystem::path& path, uint64_t size) : fd_(fd), path_(path), size_(size) {}
  ~PosixInputFile() override { ::close(fd_); }
  uint64_t size() const override { return size_; }
  size_t read_at(uint64_t offset, char* into, size_t n) override {
    for (;;) {
      const ssize_t got = ::pread(fd_, into, n, static_cast<off_t>(offset));
      if (got >= 0) return static_cast<size_t>(got);
      if (errno != EINTR) throw FileError(path_, failed(MessageId::fe_read, errno));
    }
  }

 private:
  int fd_;
  std::filesystem::path path_;
  uint64_t size_;
};

MessageId what_it_is(mode_t mode) {
  if (S_ISDIR(mode)) return MessageId::what_folder;
  if (S_ISFIFO(mode)) return MessageId::what_fifo;
  if (S_ISCHR(mode)) return MessageId::what_char_device;
  if (S_ISBLK(mode)) return MessageId::what_block_device;
  if (S_ISSOCK(mode)) return MessageId::what_socket;
  return MessageId::what_special;
}

}  // namespace

std::unique_ptr<InputFile> open_input(const std::filesystem::path& path) {
  // A first look by name refuses what is no regular file before it is opened, also where
  // open cannot be told not to wait (node's file system, under the node build, drops
  // O_NONBLOCK). O_NONBLOCK: what turns into a FIFO or a device meanwhile does not make the
  // open wait either, and fstat then says what was opened.
  struct stat named {};
  if (::stat(path.c_str(), &named) == 0 && !S_ISREG(named.st_mode))
    throw FileError(path, input_refusal::not_regular(what_it_is(named.st_mode)));
  const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
  if (fd < 0) {
    if (errno == ENOENT) return nullptr;
    throw FileError(path, failed(MessageId::fe_open, errno));
  }
  struct stat st {};
  if (::fstat(fd, &st) != 0) {
    const int err = errno;
    ::close(fd);
    throw FileError(path, failed(MessageId::fe_open, err));
  }
  if (!S_ISREG(st.st_mode)) {
    ::close(fd);
    throw FileError(path, input_refusal::not_regular(what_it_is(st.st_mode)));
  }
  return std::make_unique<PosixInputFile>(fd, path, static_cast<uint64_t>(st.st_size));
}

std::optional<Message> folder_path_problem(const std::filesystem::path& folder, size_t longest_name) {
  const size_t folder_bytes = folder.native().size();
  constexpr size_t kMost = PATH_MAX - 1;
  if (folder_bytes + 1 + longest_name <= kMost) return std::nullopt;
  return input_refusal::path_too_long(folder_bytes, longest_name, kMost, MessageId::unit_bytes);
}

bool file_exists(const std::filesystem::path& path) {
  struct stat st {};
  return ::stat(path.c_str(), &st) == 0;
}

void delete_file(const std::filesystem::path& path) {
  if (::unlink(path.c_str()) != 0 && errno != ENOENT)
    throw FileError(path, failed(MessageId::fe_delete, errno));
}

std::unique_ptr<PendingFile> begin_replace(const std::filesystem::path& path, bool executable) {
  return std::make_unique<PosixPendingFile>(path, executable);
}

void sync_folder(const std::filesystem::path& folder) {
  const std::filesystem::path dir = folder.empty() ? std::filesystem::path(".") : folder;
  const int fd = ::open(dir.c_str(), O_RDONLY | O_DIRECTORY);
  if (fd < 0) throw FileError(dir, failed(MessageId::fe_folder_open, errno));
  const int rc = ::fsync(fd);
  const int err = errno;
  ::close(fd);
  // Some file systems cannot flush a folder at all; that is no failure of the replace.
  if (rc != 0 && err != EINVAL && err != ENOTSUP)
    throw FileError(dir, failed(MessageId::fe_folder_flush, err));
}

void rename_file(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::rename(from.c_str(), to.c_str()) != 0) throw FileError(to, failed(MessageId::fe_replace, errno));
}

void write_file_durably(const std::filesystem::path& path, std::string_view bytes, bool append) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC | (append ? O_APPEND : O_TRUNC), 0666);
  if (fd < 0) throw FileError(path, failed(MessageId::fe_write, errno));
  while (!bytes.empty()) {
    const ssize_t n = ::write(fd, bytes.data(), bytes.size());
    if (n < 0 && errno == EINTR) continue;
    if (n < 0) {
      const int err = errno;
      ::close(fd);
      throw FileError(path, failed(MessageId::fe_write, err));
    }
    bytes.remove_prefix(static_cast<size_t>(n));
  }
  const int rc = ::fsync(fd);
  const int err = errno;
  ::close(fd);
  if (rc != 0) throw FileError(path, failed(MessageId::fe_write, err));
}

void link_or_copy_file(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (::link(from.c_str(), to.c_str()) == 0) return;
  const int err = errno;
  // A file system without hard links (or one that refuses them for this file): a copy.
  if (err != EPERM && err != ENOTSUP && err != EOPNOTSUPP && err != EMLINK && err != ENOSYS)
    throw FileError(to, errno_reason(err));
  const std::optional<std::string> bytes = read_whole_file(from);
  if (!bytes) throw FileError(from, errno_reason(ENOENT));
  write_file_durably(to, *bytes);
}

namespace {

class PosixFolderLock : public FolderLock {
 public:
  // A stop removes the lock file too, as the end of the hold does.
  PosixFolderLock(int fd, std::filesystem::path path) : fd_(fd), path_(std::move(path)), on_stop_(path_) {}
  ~PosixFolderLock() override {
    if (fd_ < 0) return;
    // Removed while still held: a run that opened it meanwhile sees that it is gone and
    // takes a new one.
    ::unlink(path_.c_str());
    on_stop_.release();
    ::close(fd_);
  }

 private:
  int fd_;
  std::filesystem::path path_;
  RemovedOnStop on_stop_;
};

}  // namespace

std::unique_ptr<FolderLock> try_lock_folder(const std::filesystem::path& folder) {
  const std::filesystem::path path = (folder.empty() ? std::filesystem::path(".") : folder) / ".compactor-lock";
  // A stop that comes while the lock file is made and taken waits until the file is
  // registered for removal (or found to be another run's), so that it never stays behind.
  struct StopsHeld {
    sigset_t before;
    StopsHeld() {
      sigset_t stops;
      sigemptyset(&stops);
      for (const int signal_number : {SIGINT, SIGTERM, SIGHUP}) sigaddset(&stops, signal_number);
      pthread_sigmask(SIG_BLOCK, &stops, &before);
    }
    ~StopsHeld() { pthread_sigmask(SIG_SETMASK, &before, nullptr); }
  } held_stops;
  for (;;) {
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0666);
    if (fd < 0 && errno == EACCES) {
      fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);  // another user's lock file
      if (fd < 0 && errno == ENOENT) errno = EACCES;     // none, and none can be made
    }
    if (fd < 0) {
      const int err = errno;
      if (err == EACCES || err == EROFS || err == EPERM) return std::make_unique<FolderLock>();
      throw FileError(folder, failed(MessageId::fe_lock, err));
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
      const int err = errno;
      ::close(fd);
      if (err == EWOULDBLOCK || err == EINTR) return nullptr;
      throw FileError(folder, failed(MessageId::fe_lock, err));
    }
    struct stat held {}, named {};
    if (::fstat(fd, &held) == 0 && ::stat(path.c_str(), &named) == 0 && held.st_ino == named.st_ino &&
        held.st_dev == named.st_dev)
      return std::make_unique<PosixFolderLock>(fd, path);
    ::close(fd);  // removed by the run that held it, as this one opened it
  }
}

Message system_reason(const std::error_code& error) {
  if (error.category() == std::generic_category() || error.category() == std::system_category())
    return errno_reason(error.value());
  return msg(MessageId::text, error.message());
}

void use_binary_standard_streams() {}

size_t read_standard_input(char* into, size_t n) {
  for (;;) {
    const ssize_t got = ::read(STDIN_FILENO, into, n);
    if (got >= 0) return static_cast<size_t>(got);
    if (errno != EINTR) throw FileError("standard input", failed(MessageId::fe_read, errno));
  }
}

bool has_console() { return true; }
void show_failure_box(const std::string&) {}

}  // namespace compactor
