#include "driver/program_folder.h"

#include "driver/folder_store.h"

namespace compactor {

std::filesystem::path program_folder() {
  std::error_code ec;
  const auto exe = std::filesystem::read_symlink("/proc/self/exe", ec);
  if (ec) throw FileError("/proc/self/exe", "cannot find the program's folder: " + ec.message());
  return exe.parent_path();
}

}  // namespace compactor
