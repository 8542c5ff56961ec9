#include "platform/input_file.h"

#include <vector>

namespace compactor {

namespace input_refusal {

std::string not_regular(std::string_view what_it_is) {
  return "cannot read: it is " + std::string(what_it_is) + ", not a regular file";
}

std::string too_large(uint64_t size, const ReadLimit& limit) {
  return "cannot read: " + std::to_string(size) + " bytes, more than " +
         std::string(limit.kind.empty() ? "this file" : limit.kind) + " can hold (" +
         std::to_string(limit.most_bytes) + " at most)";
}

std::string path_too_long(size_t folder_units, size_t longest_name, size_t most_units, std::string_view unit) {
  return "the folder's path takes " + std::to_string(folder_units) + " " + std::string(unit) +
         ", and with the longest file name written there (" + std::to_string(longest_name) +
         ") a path would pass the " + std::to_string(most_units) +
         " this system allows; move the program to a folder with a shorter path; nothing written";
}

}  // namespace input_refusal

std::string read_range(InputFile& file, uint64_t offset, size_t n) {
  std::string out(n, '\0');
  size_t got = 0;
  while (got < n) {
    const size_t more = file.read_at(offset + got, out.data() + got, n - got);
    if (more == 0) break;
    got += more;
  }
  out.resize(got);
  return out;
}

std::optional<std::string> read_whole_file(const std::filesystem::path& path, const ReadLimit& limit) {
  const std::unique_ptr<InputFile> file = open_input(path);
  if (!file) return std::nullopt;
  if (file->size() > limit.most_bytes) throw FileError(path, input_refusal::too_large(file->size(), limit));
  std::string out;
  out.reserve(static_cast<size_t>(file->size()));
  std::vector<char> buf(65536);
  for (;;) {
    const size_t n = file->read_at(out.size(), buf.data(), buf.size());
    if (n == 0) break;
    out.append(buf.data(), n);
    // A file that grows while it is read stops at the limit.
    if (out.size() > limit.most_bytes) throw FileError(path, input_refusal::too_large(out.size(), limit));
  }
  return out;
}

}  // namespace compactor
