// The node build (WebAssembly, files through node's own file system): what emscripten's C
// library lacks or gets wrong there, mended before the program's own code runs.
#include <emscripten.h>
#include <fcntl.h>
#include <sys/stat.h>

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

}  // namespace
