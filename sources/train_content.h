#pragma once
// The train description: the built-in scenario's, and the writer of any.

#include <span>
#include <string>
#include <string_view>

#include "sources/file_sink.h"

namespace compactor {

// The 34 lines of the built-in train description, UTF-8 (plain ASCII).
std::span<const std::string_view> train_content();

// Writes <line>_<train>-.txt through the fixed-text writer.
void dati_treno(FileSink& sink, const std::string& line_name, const std::string& train_number,
                std::span<const std::string_view> content = train_content());

}  // namespace compactor
