#pragma once
// The line description: the built-in scenario's, and the writer of any.

#include <span>
#include <string>
#include <string_view>

#include "sources/file_sink.h"

namespace compactor {

// The 112 lines of the built-in line description, UTF-8.
std::span<const std::string_view> line_content();

// Writes <line>_linea.txt through the fixed-text writer.
void dati_linea(FileSink& sink, const std::string& line_name,
                std::span<const std::string_view> content = line_content());

}  // namespace compactor
