#include "tools/scenario_compile/windows_names.h"

#include <array>
#include <cctype>

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

}  // namespace compactor
