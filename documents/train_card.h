#pragma once
// The train card for the driver: the built-in scenario's, and the writer of any.

#include <span>
#include <string>
#include <string_view>

#include "sources/file_sink.h"

namespace compactor {

// The 36 lines of the built-in train card, UTF-8 (plain ASCII).
std::span<const std::string_view> card_lines();

// Writes the train card through the fixed-text writer.
void dati_scheda(FileSink& sink, const std::string& line_name, const std::string& train_number,
                 std::span<const std::string_view> content = card_lines());

}  // namespace compactor
