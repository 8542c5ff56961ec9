#pragma once
// The train card for the driver.

#include <span>
#include <string>
#include <string_view>

#include "sources/file_sink.h"

namespace compactor {

// The lines of the train card, UTF-8.
std::span<const std::string_view> card_lines();

// Writes the train card through the fixed-text writer.
void dati_scheda(FileSink& sink, const std::string& line_name, const std::string& train_number);

}  // namespace compactor
