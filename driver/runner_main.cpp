// The runner: the program of any scenario. It carries none of its own; a maker of programs
// (scenario-pack build) appends a pack to a copy of its file, and at start it reads that
// pack back from its own file and builds the scenario exactly as a program built with the
// pack would: the same window, the same order, the same files, the same errors.
#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <stdexcept>

#include "driver/build.h"
#include "driver/command_line.h"
#include "platform/digest.h"
#include "platform/env.h"
#include "sources/pack_payload.h"

namespace {

using namespace compactor;

// The runner's mark, by which scenario-pack knows a runner (sources/pack_payload.h).
constexpr char kRunnerMark[] = "scenario-compactor runner, payload format 1";

// One line on standard error, or in a message box when no console shows it; nothing written.
int refuse(const Message& message, Language language) {
  const std::string line = render(message, language);
  use_binary_standard_streams();
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
  if (!has_console()) show_failure_box(line);
  return kExitUsage;
}

// The last bytes of the program's own file, where its payload lies: never more than the
// largest payload and its trailer, whatever the file's size.
struct OwnTail {
  std::string bytes;
  uint64_t offset = 0;
  bool before_table = false;
};
OwnTail read_own_tail(const std::filesystem::path& self) {
  const std::unique_ptr<InputFile> file = open_input(self);
  if (!file) throw FileError(self, msg(MessageId::fe_own_file));
  const uint64_t size = file->size();
  const std::string head = read_range(*file, 0, static_cast<size_t>(std::min<uint64_t>(size, kProgramHeadBytes)));
  const std::optional<uint64_t> table = certificate_table_offset(head, size);
  const uint64_t end = table.value_or(size);
  OwnTail tail;
  tail.offset = end > kPayloadWindow ? end - kPayloadWindow : 0;
  tail.bytes = read_range(*file, tail.offset, static_cast<size_t>(end - tail.offset));
  tail.before_table = table.has_value();
  return tail;
}

}  // namespace

int main(int argc, char** argv) {
  // Its refusals speak the language of its help (driver/command_line.h).
  const Language language = command_line_language(argc, argv);
  std::filesystem::path self;
  OwnTail tail;
  try {
    self = program_path();
    tail = read_own_tail(self);
  } catch (const FileError& e) {
    return refuse(e.message(), language);
  }
  const std::string file = FileError::display_path(self);

  const PayloadSearch found = find_payload_in(tail.bytes, tail.offset, tail.before_table);
  if (found.result == PayloadSearch::Result::none)
    return refuse(msg(MessageId::runner_no_scenario, file, kRunnerMark), language);
  if (found.result == PayloadSearch::Result::damaged)
    return refuse(msg(MessageId::runner_damaged, file, found.problem), language);
  try {
    if (sha256(found.payload) != found.digest)
      return refuse(msg(MessageId::runner_checksum, file, std::to_string(found.payload.size())), language);
  } catch (const std::runtime_error& e) {
    return refuse(msg(MessageId::runner_failed, file, e.what()), language);
  }
  std::string problem;
  const std::optional<PackBytes> pack = decode_pack_payload(found.payload, problem);
  if (!pack) return refuse(msg(MessageId::runner_refused, file, problem), language);
  std::optional<PackTexts> texts;
  try {
    texts.emplace(*pack);
  } catch (const std::invalid_argument& e) {
    return refuse(msg(MessageId::runner_refused, file, e.what()), language);
  }
  const Scenario scenario{texts->line_name(), texts->train_number(), texts->line(), texts->train(),
                          texts->notes(),     texts->form(),         texts->card()};
  return run_program_with_args(argc, argv, scenario);
}
