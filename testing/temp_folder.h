#pragma once
// A folder of its own for one test, removed with everything in it when the test ends.

#include <filesystem>
#include <string>

namespace compactor::testing {

class TempFolder {
 public:
  // A new, empty folder in the system's temporary folder; the name starts with prefix.
  explicit TempFolder(const std::string& prefix = "compactor-test");
  ~TempFolder();
  TempFolder(const TempFolder&) = delete;
  TempFolder& operator=(const TempFolder&) = delete;

  const std::filesystem::path& path() const { return path_; }
  std::filesystem::path operator/(const std::string& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// The whole file, or an empty text when it cannot be read.
std::string read_file(const std::filesystem::path& path);
void write_file(const std::filesystem::path& path, const std::string& bytes);

}  // namespace compactor::testing
