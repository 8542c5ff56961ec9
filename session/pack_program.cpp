#include "session/pack_program.h"

#include <system_error>
#include <vector>

#include "platform/env.h"
#include "sources/pack_payload.h"

namespace compactor {

std::optional<Runner> find_runner(const std::string& given, const std::string& target, Message& error) {
  namespace fs = std::filesystem;
  const std::string name = target == "windows" ? "scenario-runner-windows.exe" : "scenario-runner-linux";
  std::vector<fs::path> places;
  if (!given.empty()) {
    places.push_back(given);
  } else {
    const fs::path beside = program_folder();
    places = {beside / name, beside.parent_path() / "lib" / "scenario-compactor" / name};
  }
  for (const fs::path& place : places) {
    std::error_code ec;
    if (!fs::is_regular_file(place, ec)) continue;
    std::optional<std::string> bytes = read_whole_file(place, {kMostRunnerBytes, MessageId::limit_runner});
    if (bytes) return Runner{place, std::move(*bytes)};
  }
  std::string looked;
  for (size_t i = 0; i < places.size(); ++i)
    looked += (i == 0 ? "" : ", ") + FileError::display_path(places[i]);
  error = msg(MessageId::tool_no_runner, target, looked);
  return std::nullopt;
}

std::optional<Message> not_a_runner(const std::string& bytes, const std::string& target) {
  const bool windows = target == "windows";
  if (!bytes.starts_with(windows ? "MZ"
                                 : "\x7f"
                                   "ELF"))
    return msg(windows ? MessageId::runner_not_windows : MessageId::runner_not_linux);
  if (!carries_runner_mark(bytes)) return msg(MessageId::runner_not_runner);
  if (find_payload(bytes).result != PayloadSearch::Result::none) return msg(MessageId::runner_has_scenario);
  return std::nullopt;
}

}  // namespace compactor
