#pragma once
// What a maker of a pack's program needs besides the pack: the prebuilt runner it copies,
// found where it ships and told apart from any other program.

#include <filesystem>
#include <optional>
#include <string>

#include "sources/messages.h"

namespace compactor {

struct Runner {
  std::filesystem::path path;
  std::string bytes;
};

// The runner for target ("windows" or "linux"): the one given, or the first of the places it
// ships in (beside the running program, or in ../lib/scenario-compactor/). Its bytes, or
// nullopt with error naming every place looked.
std::optional<Runner> find_runner(const std::string& given, const std::string& target, Message& error);

// Why the file is not a bare runner for target, or nullopt when it is one.
std::optional<Message> not_a_runner(const std::string& bytes, const std::string& target);

}  // namespace compactor
