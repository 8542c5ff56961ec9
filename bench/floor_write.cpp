// The floor of a build's writes: the same bytes, file by file, streamed through one
// 256 KB buffer into a temporary file in the destination folder, then fsync, then
// rename over the final name. That is the least a durable replace of those files
// must do; bench/measure.sh times it as a whole process, like the builds it is
// compared with.
//
//   scenario_floor_write DEST_DIR FILE...
#include <fcntl.h>
#include <stdio.h>
#include <stdlib.h>
#include <unistd.h>

#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

constexpr size_t kBuffer = size_t{256} << 10;

[[noreturn]] void die(const std::string& what) {
  std::perror(what.c_str());
  std::exit(1);
}

void write_all(int fd, const char* p, size_t n, const std::string& name) {
  while (n > 0) {
    const ssize_t w = ::write(fd, p, n);
    if (w < 0) die(name);
    p += w;
    n -= static_cast<size_t>(w);
  }
}

void replace(const std::filesystem::path& source, const std::filesystem::path& dest, std::vector<char>& buffer) {
  const int in = ::open(source.c_str(), O_RDONLY);
  if (in < 0) die(source.string());
  std::string temp = (dest.parent_path() / ("." + dest.filename().string() + ".XXXXXX")).string();
  const int fd = ::mkstemp(temp.data());
  if (fd < 0) die(temp);
  for (;;) {
    size_t used = 0;
    while (used < buffer.size()) {
      const ssize_t n = ::read(in, buffer.data() + used, buffer.size() - used);
      if (n < 0) die(source.string());
      if (n == 0) break;
      used += static_cast<size_t>(n);
    }
    write_all(fd, buffer.data(), used, temp);
    if (used < buffer.size()) break;
  }
  ::close(in);
  if (::fsync(fd) != 0 || ::close(fd) != 0) die(temp);
  if (::rename(temp.c_str(), dest.c_str()) != 0) die(dest.string());
}

}  // namespace

int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: scenario_floor_write DEST_DIR FILE...\n");
    return 2;
  }
  const std::filesystem::path dest = argv[1];
  std::vector<char> buffer(kBuffer);
  for (int i = 2; i < argc; ++i) replace(argv[i], dest / std::filesystem::path(argv[i]).filename(), buffer);
  return 0;
}
