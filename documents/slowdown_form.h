#pragma once
// The slow-down order form for the driver.

#include <span>
#include <string>
#include <string_view>

#include "sources/file_sink.h"

namespace compactor {

// The lines of the slow-down order form, UTF-8.
std::span<const std::string_view> form_lines();

// Writes the slow-down order form through the fixed-text writer.
void dati_rallentamenti(FileSink& sink, const std::string& line_name, const std::string& train_number);

}  // namespace compactor
