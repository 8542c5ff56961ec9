// Loads a carried shared object from an anonymous memory file (memfd_create), through its
// /proc/self/fd path: nothing is written to a folder and nothing is left behind.
#include <dlfcn.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/loaded_module.h"

namespace compactor {

void* load_carried_module(std::span<const unsigned char> bytes, const char* name, const char* symbol,
                          std::string& why) {
  const int fd = ::memfd_create(name, MFD_CLOEXEC);
  if (fd < 0) {
    why = std::string("cannot create a memory file: ") + std::strerror(errno);
    return nullptr;
  }
  size_t done = 0;
  while (done < bytes.size()) {
    const ssize_t n = ::write(fd, bytes.data() + done, bytes.size() - done);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) {
      why = std::string("cannot fill the memory file: ") + std::strerror(errno);
      ::close(fd);
      return nullptr;
    }
    done += static_cast<size_t>(n);
  }
  const std::string path = "/proc/self/fd/" + std::to_string(fd);
  void* handle = ::dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
  ::close(fd);  // the loaded object keeps its own mapping
  if (handle == nullptr) {
    const char* reason = ::dlerror();
    why = reason != nullptr ? reason : "cannot load";
    return nullptr;
  }
  void* address = ::dlsym(handle, symbol);
  if (address == nullptr) why = std::string("no symbol ") + symbol;
  return address;
}

}  // namespace compactor
