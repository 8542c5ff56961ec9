#pragma once
// A FileSink that keeps files in memory: for tests, and for fronts that decide
// later whether to keep what was written.

#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "sources/file_sink.h"

namespace compactor {

class MemorySink : public FileSink {
 public:
  void replace_file(const std::string& name, std::string_view bytes) override {
    files[name] = std::string(bytes);
    order.push_back(name);
  }
  // Joined once and moved in: no second copy of a large file.
  void replace_file_from(const std::string& name, ByteSource& source) override {
    files[name] = join_pieces(source);
    order.push_back(name);
  }
  std::map<std::string, std::string> files;
  std::vector<std::string> order;  // names in the order they were written
};

}  // namespace compactor
