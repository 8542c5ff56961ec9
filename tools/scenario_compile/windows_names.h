#pragma once
// Names that Windows cannot hold. A scenario is meant for Windows, so scenario-compile
// refuses them on every system.

#include <optional>
#include <string>
#include <string_view>

namespace compactor {

// Why Windows cannot hold a file of this name, or nullopt when it can: a device name
// (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, with or without an extension, in any case),
// one of the characters < > : " | ? *, or a trailing dot or space.
std::optional<std::string> windows_name_problem(std::string_view name);

}  // namespace compactor
