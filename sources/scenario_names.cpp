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

std::optional<Message> windows_name_problem_message(std::string_view name) {
  for (const char c : name) {
    if (std::string_view("<>:\"|?*").find(c) != std::string_view::npos)
      return msg(MessageId::name_windows_character, std::string(1, c));
  }
  if (!name.empty() && (name.back() == '.' || name.back() == ' ')) return msg(MessageId::name_trailing);
  if (device_name(name.substr(0, name.find('.')))) return msg(MessageId::name_device);
  return std::nullopt;
}

std::optional<Message> names_length_problem_message(std::string_view line_name, std::string_view train_number) {
  const std::string longest = slowdown_form_name(std::string(line_name), std::string(train_number));
  const size_t bytes = hidden_name_bytes(longest.size());
  if (bytes <= kLongestFileName) return std::nullopt;
  const size_t over = bytes - kLongestFileName;
  return msg(over == 1 ? MessageId::names_too_long_one : MessageId::names_too_long_many, longest,
             std::to_string(longest.size()), std::to_string(bytes), std::to_string(kLongestFileName),
             std::to_string(over));
}

std::optional<Message> identity_problem_message(std::string_view name) {
  if (name.empty()) return msg(MessageId::name_empty);
  if (name.find('/') != std::string_view::npos || name.find('\\') != std::string_view::npos)
    return msg(MessageId::name_separator);
  if (name.find("..") != std::string_view::npos) return msg(MessageId::name_dots);
  for (size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    // C0 controls, DEL, and the C1 controls U+0080..U+009F (UTF-8 C2 80..C2 9F).
    const bool c1 = c == 0xC2 && i + 1 < name.size() && static_cast<unsigned char>(name[i + 1]) >= 0x80 &&
                    static_cast<unsigned char>(name[i + 1]) <= 0x9F;
    if (c < 0x20 || c == 0x7F || c1) return msg(MessageId::name_control);
  }
  if (!is_cp1252_encodable(name)) return msg(MessageId::name_no_cp1252);
  // A scenario is meant for Windows: its file names must be ones Windows can hold.
  return windows_name_problem_message(name);
}

std::optional<std::string> windows_name_problem(std::string_view name) {
  const auto problem = windows_name_problem_message(name);
  return problem ? std::optional<std::string>(render(*problem, Language::en)) : std::nullopt;
}

std::optional<std::string> identity_problem(std::string_view name) {
  const auto problem = identity_problem_message(name);
  return problem ? std::optional<std::string>(render(*problem, Language::en)) : std::nullopt;
}

std::optional<std::string> names_length_problem(std::string_view line_name, std::string_view train_number) {
  const auto problem = names_length_problem_message(line_name, train_number);
  return problem ? std::optional<std::string>(render(*problem, Language::en)) : std::nullopt;
}

}  // namespace compactor
