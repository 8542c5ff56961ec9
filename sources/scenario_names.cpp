#include "sources/scenario_names.h"

#include <array>
#include <cctype>

#include "sources/cp1252.h"
#include "sources/file_names.h"

namespace compactor {
namespace {

bool equal_ignoring_case(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i)
    if (std::toupper(static_cast<unsigned char>(a[i])) != std::toupper(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

bool device_name(std::string_view stem) {
  // Windows also ignores spaces before the extension: "CON .txt" is the console.
  while (!stem.empty() && stem.back() == ' ') stem.remove_suffix(1);
  for (std::string_view device : {"CON", "PRN", "AUX", "NUL"})
    if (equal_ignoring_case(stem, device)) return true;
  if (stem.size() == 4 && stem[3] >= '1' && stem[3] <= '9')
    return equal_ignoring_case(stem.substr(0, 3), "COM") || equal_ignoring_case(stem.substr(0, 3), "LPT");
  return false;
}

}  // namespace

std::optional<std::string> windows_name_problem(std::string_view name) {
  for (const char c : name) {
    if (std::string_view("<>:\"|?*").find(c) != std::string_view::npos)
      return std::string("contains '") + c + "', which Windows does not allow in a file name";
  }
  if (!name.empty() && (name.back() == '.' || name.back() == ' '))
    return "ends with a dot or a space, which Windows drops from a file name";
  if (device_name(name.substr(0, name.find('.')))) return "is a device name on Windows";
  return std::nullopt;
}

std::optional<std::string> names_length_problem(std::string_view line_name, std::string_view train_number) {
  const std::string longest = slowdown_form_name(std::string(line_name), std::string(train_number));
  const size_t bytes = hidden_name_bytes(longest.size());
  if (bytes <= kLongestFileName) return std::nullopt;
  return "make file names too long: " + longest + " takes " + std::to_string(longest.size()) +
         " bytes and its temporary " + std::to_string(bytes) + ", where a file name holds " +
         std::to_string(kLongestFileName) + "; shorten the line name or the train number by " +
         std::to_string(bytes - kLongestFileName) + (bytes - kLongestFileName == 1 ? " byte" : " bytes");
}

std::optional<std::string> identity_problem(std::string_view name) {
  if (name.empty()) return "is empty";
  if (name.find('/') != std::string_view::npos || name.find('\\') != std::string_view::npos)
    return "contains a path separator";
  if (name.find("..") != std::string_view::npos) return "contains \"..\"";
  for (size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    // C0 controls, DEL, and the C1 controls U+0080..U+009F (UTF-8 C2 80..C2 9F).
    const bool c1 = c == 0xC2 && i + 1 < name.size() && static_cast<unsigned char>(name[i + 1]) >= 0x80 &&
                    static_cast<unsigned char>(name[i + 1]) <= 0x9F;
    if (c < 0x20 || c == 0x7F || c1) return "contains a control character";
  }
  if (!is_cp1252_encodable(name)) return "contains a character without a Windows-1252 byte";
  // A scenario is meant for Windows: its file names must be ones Windows can hold.
  return windows_name_problem(name);
}

}  // namespace compactor
