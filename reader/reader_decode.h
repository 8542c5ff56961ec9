#pragma once
// The compiled files of a scenario, decoded from bytes in memory into a track model.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>

#include "compiler/track_model.h"
#include "sources/messages.h"

namespace compactor::inspect {

// A file that cannot be read or does not hold what its format says. The message names
// the file and, for a damaged file, the offset; what() says it in English.
class InspectError : public std::runtime_error {
 public:
  explicit InspectError(Message message)
      : std::runtime_error(render(message, Language::en)), message_(std::move(message)) {}
  const Message& message() const { return message_; }

 private:
  Message message_;
};

// The three compiled files, and the largest each can be: a line of the longest length
// with every slot text at its longest.
enum class CompiledKind { sections, slots, plot };
uint64_t largest_size(CompiledKind kind);
Message kind_name(CompiledKind kind);  // "a section array (.dat)", ...

// The model as the files hold it: sections (cell_limit = count - 1), the 87 slots,
// and the route plot when its bytes are given (plot_created, plot_limit = points - 1).
// line_name and train_number are the texts of slots 85 and 86, in UTF-8. The names are
// used in messages only.
TrackModel decode_scenario(const std::string& sections_bytes, const std::string& sections_name,
                           const std::string& slots_bytes, const std::string& slots_name,
                           const std::optional<std::string>& plot_bytes, const std::string& plot_name);

}  // namespace compactor::inspect
