#include "session/language.h"

#include <cstdlib>

namespace compactor {

std::optional<std::string_view> lang_argument(int argc, char** argv) {
  std::optional<std::string_view> value;
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "--") break;
    if (a == "--lang" && i + 1 < argc)
      value = argv[++i];
    else if (a.starts_with("--lang="))
      value = a.substr(7);
  }
  return value;
}

std::optional<Language> tool_language(std::optional<std::string_view> lang_option) {
  if (lang_option) return language_named(*lang_option);
  auto variable = [](const char* name) -> std::optional<std::string_view> {
    const char* value = std::getenv(name);
    return value ? std::optional<std::string_view>(value) : std::nullopt;
  };
  return language_of_locale(variable("LC_ALL"), variable("LC_MESSAGES"), variable("LANG"));
}

}  // namespace compactor
