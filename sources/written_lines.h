#pragma once
// Test helper: a written text file cut into its lines.

#include <string>
#include <vector>

namespace compactor {

// The lines of a file whose every line ends with CR LF; a piece after the last CR LF
// (which a well-formed file never has) comes back as a last line of its own.
inline std::vector<std::string> written_lines(const std::string& bytes) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < bytes.size()) {
    const size_t end = bytes.find("\r\n", start);
    if (end == std::string::npos) {
      lines.push_back(bytes.substr(start));
      break;
    }
    lines.push_back(bytes.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

}  // namespace compactor
