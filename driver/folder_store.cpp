#include "driver/folder_store.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>
#include <vector>

namespace compactor {
namespace {

WriteFaultInjection g_injection;
int g_replace_calls = 0;

std::string reason_of(int err) { return std::strerror(err); }

bool injected(WriteFaultInjection::Step step) {
  return g_injection.step == step && g_injection.on_replace == g_replace_calls;
}

}  // namespace

void set_write_fault_injection(const WriteFaultInjection& injection) {
  g_injection = injection;
  g_replace_calls = 0;
}

namespace {

// One piece: the whole of a buffer already in memory.
class WholeBytes : public ByteSource {
 public:
  explicit WholeBytes(std::string_view bytes) : bytes_(bytes) {}
  std::string_view next() override { return std::exchange(bytes_, std::string_view()); }

 private:
  std::string_view bytes_;
};

}  // namespace

void replace_file_atomically(const std::filesystem::path& path, std::string_view bytes) {
  WholeBytes source(bytes);
  replace_file_atomically(path, source);
}

void replace_file_atomically(const std::filesystem::path& path, ByteSource& source) {
  ++g_replace_calls;
  std::filesystem::path dir = path.parent_path();
  if (dir.empty()) dir = ".";
  // Hidden temporary name in the same folder, so the rename stays on one file system.
  std::string temp_template = (dir / ("." + path.filename().string() + ".XXXXXX")).string();
  std::vector<char> buf(temp_template.begin(), temp_template.end());
  buf.push_back('\0');
  int fd = injected(WriteFaultInjection::Step::open) ? (errno = EACCES, -1) : ::mkstemp(buf.data());
  if (fd < 0) throw FileError(path, "cannot create a temporary file beside it: " + reason_of(errno));
  const std::string temp(buf.data());
  auto fail = [&](const std::string& what, int err) {
    ::close(fd);
    ::unlink(temp.c_str());
    throw FileError(path, what + ": " + reason_of(err));
  };
  const bool inject_write = injected(WriteFaultInjection::Step::write);
  for (std::string_view piece = source.next(); !piece.empty(); piece = source.next()) {
    // An injected failure writes half of the first piece (or nothing) and fails.
    if (inject_write)
      piece = g_injection.short_write ? piece.substr(0, piece.size() / 2) : std::string_view();
    size_t done = 0;
    while (done < piece.size()) {
      const ssize_t n = ::write(fd, piece.data() + done, piece.size() - done);
      if (n < 0) {
        if (errno == EINTR) continue;
        fail("cannot write", errno);
      }
      done += static_cast<size_t>(n);
    }
    if (inject_write) break;
  }
  if (inject_write) fail("cannot write", ENOSPC);
  // The files are meant to be read by others: plain rw-r--r-- less the umask, like any new file.
  const mode_t mask = ::umask(0);
  ::umask(mask);
  ::fchmod(fd, 0666 & ~mask);
  if (::fsync(fd) != 0) fail("cannot write", errno);
  if (::close(fd) != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    throw FileError(path, "cannot write: " + reason_of(err));
  }
  const int rc = injected(WriteFaultInjection::Step::rename) ? (errno = EACCES, -1)
                                                             : ::rename(temp.c_str(), path.c_str());
  if (rc != 0) {
    const int err = errno;
    ::unlink(temp.c_str());
    throw FileError(path, "cannot replace: " + reason_of(err));
  }
}

void FolderStore::replace_file(const std::string& name, std::string_view bytes) {
  replace_file_atomically(path_of(name), bytes);
}

void FolderStore::replace_file_from(const std::string& name, ByteSource& source) {
  replace_file_atomically(path_of(name), source);
}

std::optional<std::string> FolderStore::read_file(const std::string& name) const {
  const auto path = path_of(name);
  const int fd = ::open(path.c_str(), O_RDONLY);
  if (fd < 0) {
    if (errno == ENOENT) return std::nullopt;
    throw FileError(path, "cannot open: " + reason_of(errno));
  }
  std::string out;
  char buf[65536];
  for (;;) {
    const ssize_t n = ::read(fd, buf, sizeof buf);
    if (n == 0) break;
    if (n < 0) {
      if (errno == EINTR) continue;
      const int err = errno;
      ::close(fd);
      throw FileError(path, "cannot read: " + reason_of(err));
    }
    out.append(buf, static_cast<size_t>(n));
  }
  ::close(fd);
  return out;
}

bool FolderStore::exists(const std::string& name) const {
  std::error_code ec;
  return std::filesystem::exists(path_of(name), ec);
}

void FolderStore::remove_file(const std::string& name) {
  const auto path = path_of(name);
  if (::unlink(path.c_str()) != 0 && errno != ENOENT)
    throw FileError(path, "cannot delete: " + reason_of(errno));
}

}  // namespace compactor
