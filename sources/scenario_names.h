#pragma once
// The names a scenario may carry: a line name or a train number names files, so it must
// be one that no system takes for a path or a device. A scenario is meant for Windows, so
// names Windows cannot hold are refused on every system.

#include <optional>
#include <string>
#include <string_view>

#include "sources/messages.h"

namespace compactor {

// Why Windows cannot hold (in English, or as a message of the catalogue) a file of this name, or nullopt when
// it can: a device name (CON, PRN, AUX, NUL, COM1-COM9, LPT1-LPT9, with or without an extension, in any
// case), one of the characters < > : " | ? *, or a trailing dot or space.
std::optional<std::string> windows_name_problem(std::string_view name);
std::optional<Message> windows_name_problem_message(std::string_view name);

// Why a line name or train number cannot name files safely, or nullopt when it can: empty,
// a path separator, "..", a control character, a character without a Windows-1252 byte,
// or a name Windows cannot hold.
std::optional<std::string> identity_problem(std::string_view name);
std::optional<Message> identity_problem_message(std::string_view name);

// Why files named from this line name and train number would not fit a folder, or nullopt
// when they fit: the longest of them, the slow-down form <line>_<train>_rallentamenti.txt,
// with the hidden infix of its temporary, must take at most 255 bytes (UTF-8). Both names
// must have passed identity_problem.
std::optional<std::string> names_length_problem(std::string_view line_name, std::string_view train_number);
std::optional<Message> names_length_problem_message(std::string_view line_name, std::string_view train_number);

}  // namespace compactor
