#pragma once
// Inside the platform layer: the refusals of an input, worded once for both systems.

#include <cstdint>
#include <string>
#include <string_view>

#include "platform/env.h"

namespace compactor::input_refusal {

// "cannot read: it is a FIFO (named pipe), not a regular file"
std::string not_regular(std::string_view what_it_is);
// "cannot read: 20971520 bytes, more than a description can hold (8413187 at most)"
std::string too_large(uint64_t size, const ReadLimit& limit);
// The folder's path leaves too little room for the longest file name.
std::string path_too_long(size_t folder_units, size_t longest_name, size_t most_units, std::string_view unit);

}  // namespace compactor::input_refusal
