// The node build (WebAssembly, files through node's own file system): what emscripten's C
// library lacks or gets wrong there, mended before the program's own code runs.
#include <emscripten.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

// Declared, but without a body. The early write-back is only a hint before the fsync, so
// here it does nothing.
extern "C" int sync_file_range(int, off_t, off_t, unsigned int) { return 0; }

namespace {

// The umask of the node process (emscripten starts with 0777, which would leave every new
// file without any permission); in a page, whose files live in memory, the usual 022.
EM_JS(int, node_umask, (), { return typeof process == "object" && process.umask ? process.umask() : 18; });

const bool kUmaskSet = [] {
  ::umask(static_cast<mode_t>(node_umask()));
  return true;
}();

// A hard link through node's own file system: 0 made, 1 none to be had here (a page, whose
// files live in memory), 2 the new name exists, 3 the old one does not, 4 another failure.
EM_JS(int, node_link, (const char* from, const char* to), {
  if (typeof process != "object" || typeof require != "function") return 1;
  try {
    require("fs").linkSync(UTF8ToString(from), UTF8ToString(to));
    return 0;
  } catch (e) {
    return e.code == "EEXIST" ? 2 : e.code == "ENOENT" ? 3 : e.code == "EPERM" || e.code == "ENOTSUP" ? 1 : 4;
  }
});

}  // namespace

// Emscripten's file system over node makes no hard links, so the journal of a set commit
// would copy the old files it keeps (20 MB for a long line's route plot) where a link costs
// nothing. Node's own file system makes them.
extern "C" int link(const char* from, const char* to) {
  static constexpr int kErrors[] = {0, EPERM, EEXIST, ENOENT, EIO};
  const int outcome = node_link(from, to);
  if (outcome == 0) return 0;
  errno = kErrors[outcome >= 1 && outcome <= 4 ? outcome : 4];
  return -1;
}
