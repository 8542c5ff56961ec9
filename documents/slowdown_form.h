#pragma once
// The slow-down order form for the driver: the built-in scenario's, and the writer of any.

#include <span>
#include <string>
#include <string_view>

#include "sources/file_sink.h"

namespace compactor {

// The 32 lines of the built-in slow-down order form, UTF-8 (plain ASCII).
std::span<const std::string_view> form_lines();

// Writes the slow-down order form through the fixed-text writer.
void dati_rallentamenti(FileSink& sink, const std::string& line_name, const std::string& train_number,
                        std::span<const std::string_view> content = form_lines());

}  // namespace compactor
