#pragma once
// Inside the platform layer: the refusals of an input and the system's reasons, worded once
// for both systems.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/env.h"

namespace compactor {

namespace input_refusal {

// "cannot read: it is a FIFO (named pipe), not a regular file"; what_it_is is what_folder ...
Message not_regular(MessageId what_it_is);
// "cannot read: 20971520 bytes, more than a description can hold (8413187 at most)"
Message too_large(uint64_t size, const ReadLimit& limit);
// The folder's path leaves too little room for the longest file name; unit is unit_bytes or
// unit_characters.
Message path_too_long(size_t folder_units, size_t longest_name, size_t most_units, MessageId unit);

}  // namespace input_refusal

// An errno value as system_reason gives it.
Message errno_reason(int err);

}  // namespace compactor
