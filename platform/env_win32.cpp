// The platform layer on Windows: the wide-character API throughout, so that a folder such
// as C:\Users\Zoë\Giochi works whatever the system's code page.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <optional>
#include <string>
#include <vector>

#include "platform/env.h"
#include "platform/fault_seam.h"
#include "platform/hidden_names.h"
#include "platform/input_file.h"
#include "platform/stop_cleanup.h"
#include "platform/wide_text_win32.h"
#include "sources/file_names.h"

namespace compactor {

std::wstring widen(const std::string& s) {
  if (s.empty()) return {};
  const int n = MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), nullptr, 0);
  std::wstring w(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, s.data(), static_cast<int>(s.size()), w.data(), n);
  return w;
}

namespace {

std::string narrow(const std::wstring& w) {
  if (w.empty()) return {};
  const int n =
      WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), nullptr, 0, nullptr, nullptr);
  std::string s(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_UTF8, 0, w.data(), static_cast<int>(w.size()), s.data(), n, nullptr, nullptr);
  return s;
}

// The system's own words for an error, in English where the system has them.
std::string system_text(DWORD err) {
  wchar_t* text = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
      err, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US), reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::wstring w = n && text ? std::wstring(text, n) : L"";
  if (text) LocalFree(text);
  while (!w.empty() && (w.back() == L'\r' || w.back() == L'\n' || w.back() == L' ' || w.back() == L'.'))
    w.pop_back();
  if (w.empty()) return "system error " + std::to_string(err);
  return narrow(w);
}

// The errors a user meets as the catalogue words them (the same words as on other systems),
// any other in the system's own.
Message reason_of(DWORD err) {
  switch (err) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
      return msg(MessageId::sys_not_found);
    case ERROR_ACCESS_DENIED:
      return msg(MessageId::sys_access_denied);
    case ERROR_PRIVILEGE_NOT_HELD:
      return msg(MessageId::sys_not_permitted);
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return msg(MessageId::sys_disk_full);
    case ERROR_DIRECTORY:
      return msg(MessageId::sys_not_folder);
    case ERROR_FILENAME_EXCED_RANGE:
      return msg(MessageId::sys_name_too_long);
    case ERROR_CANT_RESOLVE_FILENAME:
      return msg(MessageId::sys_loop);
    case ERROR_WRITE_PROTECT:
      return msg(MessageId::sys_read_only);
    case ERROR_FILE_EXISTS:
    case ERROR_ALREADY_EXISTS:
      return msg(MessageId::sys_exists);
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
      return msg(MessageId::reason_in_use);
    case ERROR_BUSY:
      return msg(MessageId::sys_busy);
    case ERROR_CRC:
    case ERROR_READ_FAULT:
    case ERROR_WRITE_FAULT:
    case ERROR_IO_DEVICE:
      return msg(MessageId::sys_io);
    default:
      return msg(MessageId::text, system_text(err));
  }
}

// A step that failed, with the system's reason: "cannot open: No such file or directory".
Message failed(MessageId step, DWORD err) { return Message{step, {}, {reason_of(err)}}; }

bool missing(DWORD err) { return err == ERROR_FILE_NOT_FOUND || err == ERROR_PATH_NOT_FOUND; }

// Another program (the simulator) holds the file open without letting it be replaced.
bool in_use(const std::filesystem::path& path) {
  HANDLE h = CreateFileW(path.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h != INVALID_HANDLE_VALUE) {
    CloseHandle(h);
    return false;
  }
  return GetLastError() == ERROR_SHARING_VIOLATION;
}

std::wstring module_file() {
  std::vector<wchar_t> buf(MAX_PATH);
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, buf.data(), static_cast<DWORD>(buf.size()));
    if (n == 0) throw FileError("program", failed(MessageId::fe_program_folder, GetLastError()));
    if (n < buf.size()) return std::wstring(buf.data(), n);
    buf.resize(buf.size() * 2);
  }
}

class Win32PendingFile : public PendingFile {
 public:
  explicit Win32PendingFile(const std::filesystem::path& path)
      : path_(path), number_(fault_seam::next_file()) {
    std::filesystem::path dir = path.parent_path();
    if (dir.empty()) dir = ".";
    const bool inject_open = fault_seam::fails(WriteFaultInjection::Step::open, number_);
    // A hidden name of its own in the same folder, so that the rename stays on one volume;
    // it is registered for removal on a stop before the file exists. FILE_SHARE_DELETE lets
    // a stop remove it while it is open.
    for (int attempt = 0; attempt < 100 && handle_ == INVALID_HANDLE_VALUE; ++attempt) {
      temp_ = dir / widen(new_hidden_name(narrow(path.filename().wstring()), kTemporaryInfix));
      if (inject_open) {
        SetLastError(ERROR_ACCESS_DENIED);
        break;
      }
      on_stop_ = RemovedOnStop(temp_);
      handle_ = CreateFileW(temp_.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
      if (handle_ == INVALID_HANDLE_VALUE && GetLastError() != ERROR_FILE_EXISTS) break;
    }
    if (handle_ == INVALID_HANDLE_VALUE) {
      const DWORD err = GetLastError();
      temp_.clear();
      on_stop_.release();
      throw FileError(path, failed(MessageId::fe_temporary, err));
    }
    temp_name_ = temp_;
    inject_write_ = fault_seam::fails(WriteFaultInjection::Step::write, number_);
  }

  ~Win32PendingFile() override {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    if (!temp_.empty()) DeleteFileW(temp_.c_str());
  }

  void write(std::string_view piece) override {
    if (inject_write_) {
      // An injected failure writes half of the piece (or nothing) and fails.
      write_all(fault_seam::short_write() ? piece.substr(0, piece.size() / 2) : std::string_view());
      fail(MessageId::fe_write, ERROR_DISK_FULL);
    }
    write_all(piece);
  }

  void write_at(uint64_t offset, std::string_view piece) override {
    if (inject_write_) {
      write_all_at(offset, fault_seam::short_write() ? piece.substr(0, piece.size() / 2) : std::string_view());
      fail(MessageId::fe_write, ERROR_DISK_FULL);
    }
    write_all_at(offset, piece);
  }

  void finish() override {
    if (!FlushFileBuffers(handle_)) fail(MessageId::fe_write, GetLastError());
    const BOOL closed = CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    if (!closed) fail(MessageId::fe_write, GetLastError());
  }

  void commit() override {
    // Windows refuses to replace a read-only file; say so plainly, and the same under Wine.
    const DWORD attributes = GetFileAttributesW(path_.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY))
      fail_with(Message{MessageId::fe_replace, {}, {msg(MessageId::reason_read_only_file)}});
    BOOL moved = FALSE;
    DWORD err = ERROR_ACCESS_DENIED;
    if (!fault_seam::fails(WriteFaultInjection::Step::rename, number_)) {
      moved = MoveFileExW(temp_.c_str(), path_.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
      if (!moved) err = GetLastError();
    }
    if (!moved) {
      if ((err == ERROR_ACCESS_DENIED || err == ERROR_SHARING_VIOLATION) && in_use(path_))
        fail_with(Message{MessageId::fe_replace, {}, {msg(MessageId::reason_in_use)}});
      fail(MessageId::fe_replace, err);
    }
    temp_.clear();
    on_stop_.release();
  }

  const std::filesystem::path& path() const override { return path_; }
  const std::filesystem::path& temporary() const override { return temp_name_; }

 private:
  void write_all(std::string_view piece) {
    while (!piece.empty()) {
      const DWORD chunk = piece.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(piece.size());
      DWORD done = 0;
      if (!WriteFile(handle_, piece.data(), chunk, &done, nullptr)) fail(MessageId::fe_write, GetLastError());
      piece.remove_prefix(done);
    }
  }

  // Each chunk at its own offset, given with the call: the file pointer is not used.
  void write_all_at(uint64_t offset, std::string_view piece) {
    while (!piece.empty()) {
      const DWORD chunk = piece.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(piece.size());
      OVERLAPPED at{};
      at.Offset = static_cast<DWORD>(offset & 0xFFFFFFFFu);
      at.OffsetHigh = static_cast<DWORD>(offset >> 32);
      DWORD done = 0;
      if (!WriteFile(handle_, piece.data(), chunk, &done, &at)) fail(MessageId::fe_write, GetLastError());
      piece.remove_prefix(done);
      offset += done;
    }
  }

  [[noreturn]] void fail(MessageId step, DWORD err) { fail_with(failed(step, err)); }

  // Removes the temporary and throws; the old file stays as it was.
  [[noreturn]] void fail_with(Message reason) {
    if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    if (!temp_.empty()) DeleteFileW(temp_.c_str());
    temp_.clear();
    on_stop_.release();
    throw FileError(path_, std::move(reason));
  }

  std::filesystem::path path_;
  int number_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  std::filesystem::path temp_;
  std::filesystem::path temp_name_;
  bool inject_write_ = false;
  RemovedOnStop on_stop_;  // released once the temporary is renamed or removed
};

}  // namespace

std::filesystem::path program_path() { return std::filesystem::path(module_file()); }
std::filesystem::path program_folder() { return std::filesystem::path(module_file()).parent_path(); }

std::string program_name() {
  try {
    return narrow(std::filesystem::path(module_file()).stem().wstring());
  } catch (const FileError&) {
    return "compactor";
  }
}

namespace {

class Win32InputFile : public InputFile {
 public:
  Win32InputFile(HANDLE h, const std::filesystem::path& path, uint64_t size) : h_(h), path_(path), size_(size) {}
  ~Win32InputFile() override { CloseHandle(h_); }
  uint64_t size() const override { return size_; }
  size_t read_at(uint64_t offset, char* into, size_t n) override {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    const DWORD chunk = n > (1u << 30) ? (1u << 30) : static_cast<DWORD>(n);
    if (!ReadFile(h_, into, chunk, &got, &at)) {
      const DWORD err = GetLastError();
      if (err == ERROR_HANDLE_EOF) return 0;
      throw FileError(path_, failed(MessageId::fe_read, err));
    }
    return got;
  }

 private:
  HANDLE h_;
  std::filesystem::path path_;
  uint64_t size_;
};

}  // namespace

std::unique_ptr<InputFile> open_input(const std::filesystem::path& path) {
  // FILE_FLAG_BACKUP_SEMANTICS opens a folder too, so that it is named; nothing here waits.
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                         nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD err = GetLastError();
    if (missing(err)) return nullptr;
    throw FileError(path, failed(MessageId::fe_open, err));
  }
  std::optional<MessageId> what;
  BY_HANDLE_FILE_INFORMATION info{};
  switch (GetFileType(h)) {
    case FILE_TYPE_DISK:
      if (!GetFileInformationByHandle(h, &info)) {
        const DWORD err = GetLastError();
        CloseHandle(h);
        throw FileError(path, failed(MessageId::fe_open, err));
      }
      if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) what = MessageId::what_folder;
      break;
    case FILE_TYPE_CHAR:
      what = MessageId::what_device;
      break;
    case FILE_TYPE_PIPE:
      what = MessageId::what_pipe;
      break;
    default:
      what = MessageId::what_special;
      break;
  }
  if (what) {
    CloseHandle(h);
    throw FileError(path, input_refusal::not_regular(*what));
  }
  return std::make_unique<Win32InputFile>(h, path, (uint64_t{info.nFileSizeHigh} << 32) | info.nFileSizeLow);
}

std::optional<Message> folder_path_problem(const std::filesystem::path& folder, size_t longest_name) {
  // Without a long-path manifest, a path holds MAX_PATH - 1 characters (UTF-16 units).
  const size_t folder_units = folder.native().size();
  constexpr size_t kMost = MAX_PATH - 1;
  if (folder_units + 1 + longest_name <= kMost) return std::nullopt;
  return input_refusal::path_too_long(folder_units, longest_name, kMost, MessageId::unit_characters);
}

bool file_exists(const std::filesystem::path& path) {
  return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void delete_file(const std::filesystem::path& path) {
  if (DeleteFileW(path.c_str())) return;
  const DWORD err = GetLastError();
  if (missing(err)) return;
  if ((err == ERROR_ACCESS_DENIED || err == ERROR_SHARING_VIOLATION) && in_use(path))
    throw FileError(path, Message{MessageId::fe_delete, {}, {msg(MessageId::reason_in_use)}});
  throw FileError(path, failed(MessageId::fe_delete, err));
}

// Every file may be run on Windows: executable has nothing to add.
std::unique_ptr<PendingFile> begin_replace(const std::filesystem::path& path, bool) {
  return std::make_unique<Win32PendingFile>(path);
}

void rename_file(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (!MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    throw FileError(to, failed(MessageId::fe_replace, GetLastError()));
}

void write_file_durably(const std::filesystem::path& path, std::string_view bytes, bool append) {
  HANDLE h = CreateFileW(path.c_str(), append ? FILE_APPEND_DATA : GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                         append ? OPEN_ALWAYS : CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (h == INVALID_HANDLE_VALUE) throw FileError(path, failed(MessageId::fe_write, GetLastError()));
  while (!bytes.empty()) {
    DWORD done = 0;
    const DWORD chunk = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<DWORD>(bytes.size());
    if (!WriteFile(h, bytes.data(), chunk, &done, nullptr)) {
      const DWORD err = GetLastError();
      CloseHandle(h);
      throw FileError(path, failed(MessageId::fe_write, err));
    }
    bytes.remove_prefix(done);
  }
  const BOOL flushed = FlushFileBuffers(h);
  const DWORD err = GetLastError();
  CloseHandle(h);
  if (!flushed) throw FileError(path, failed(MessageId::fe_write, err));
}

void link_or_copy_file(const std::filesystem::path& from, const std::filesystem::path& to) {
  if (CreateHardLinkW(to.c_str(), from.c_str(), nullptr)) return;
  // A volume without hard links (FAT): a copy.
  if (!CopyFileW(from.c_str(), to.c_str(), FALSE)) throw FileError(to, reason_of(GetLastError()));
}

namespace {

class Win32FolderLock : public FolderLock {
 public:
  explicit Win32FolderLock(HANDLE h) : h_(h) {}
  ~Win32FolderLock() override { CloseHandle(h_); }  // the lock file goes with the last handle

 private:
  HANDLE h_;
};

}  // namespace

std::unique_ptr<FolderLock> try_lock_folder(const std::filesystem::path& folder) {
  const std::filesystem::path path = (folder.empty() ? std::filesystem::path(".") : folder) / L".compactor-lock";
  HANDLE h = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                         FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_DELETE_ON_CLOSE, nullptr);
  if (h == INVALID_HANDLE_VALUE) {
    const DWORD err = GetLastError();
    // A lock file on its way out (its last holder closed it while another run waits on it).
    if (err == ERROR_ACCESS_DENIED && file_exists(path)) return nullptr;
    if (err == ERROR_ACCESS_DENIED || err == ERROR_WRITE_PROTECT) return std::make_unique<FolderLock>();
    throw FileError(folder, failed(MessageId::fe_lock, err));
  }
  OVERLAPPED at{};
  if (!LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at)) {
    CloseHandle(h);
    return nullptr;
  }
  return std::make_unique<Win32FolderLock>(h);
}

Message system_reason(const std::error_code& error) {
  if (error.category() == std::generic_category()) return errno_reason(error.value());
  if (error.category() == std::system_category()) return reason_of(static_cast<DWORD>(error.value()));
  return msg(MessageId::text, error.message());
}

// MOVEFILE_WRITE_THROUGH returns only once the rename is on disk.
void sync_folder(const std::filesystem::path&) {}

void use_binary_standard_streams() {
  _setmode(_fileno(stdin), _O_BINARY);
  _setmode(_fileno(stdout), _O_BINARY);
  _setmode(_fileno(stderr), _O_BINARY);
}

size_t read_standard_input(char* into, size_t n) {
  // ReadFile gives what a pipe holds (a console line, a file's next bytes) without waiting for n.
  HANDLE in = GetStdHandle(STD_INPUT_HANDLE);
  DWORD got = 0;
  const DWORD asked = static_cast<DWORD>(std::min<size_t>(n, 1u << 30));
  if (ReadFile(in, into, asked, &got, nullptr)) return got;
  const DWORD error = GetLastError();
  // The writer closed its end of the pipe: the end of the input.
  if (error == ERROR_BROKEN_PIPE || error == ERROR_HANDLE_EOF) return 0;
  throw FileError("standard input", failed(MessageId::fe_read, error));
}

bool has_console() {
  // A GUI program started from the desktop has no standard error at all; one started from
  // a console, a script or a test has it, redirected or not.
  HANDLE err = GetStdHandle(STD_ERROR_HANDLE);
  return err != nullptr && err != INVALID_HANDLE_VALUE && GetFileType(err) != FILE_TYPE_UNKNOWN;
}

void show_failure_box(const std::string& text) {
  MessageBoxW(nullptr, widen(text).c_str(), widen(program_name()).c_str(), MB_OK | MB_ICONERROR);
}

}  // namespace compactor
