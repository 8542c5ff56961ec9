#pragma once
// The language a tool speaks: --lang it|en when given; otherwise the first of LC_ALL,
// LC_MESSAGES and LANG that is set and not empty decides (it, it_IT.UTF-8 and the like give
// Italian; the locale need not be installed); English by default.

#include <optional>
#include <string_view>

#include "sources/messages.h"

namespace compactor {

// The value of --lang (either "--lang X" or "--lang=X") among the arguments, read before
// the command line is parsed, so that even its errors come in the language.
std::optional<std::string_view> lang_argument(int argc, char** argv);

// The language of --lang, or of the environment when it is not given; nullopt for a
// --lang that names no language.
std::optional<Language> tool_language(std::optional<std::string_view> lang_option);

}  // namespace compactor
