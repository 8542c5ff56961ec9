#pragma once
// Where the writers put their files. The program's front decides what a file is
// (a folder on disk, a buffer in a test); the core only hands over complete bytes.

#include <string>
#include <string_view>

namespace compactor {

class FileSink {
 public:
  virtual ~FileSink() = default;
  // Replaces the named file with exactly these bytes, as a whole.
  virtual void replace_file(const std::string& name, std::string_view bytes) = 0;
};

}  // namespace compactor
