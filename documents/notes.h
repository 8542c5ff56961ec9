#pragma once
// The notes document for the driver: the built-in scenario's, and the writer of any.

#include <span>
#include <string>
#include <string_view>

#include "sources/file_sink.h"

namespace compactor {

// The 162 lines of the built-in notes document, UTF-8.
std::span<const std::string_view> notes_lines();

// Writes the notes document through the fixed-text writer.
void dati_note(FileSink& sink, const std::string& line_name, const std::string& train_number,
               std::span<const std::string_view> content = notes_lines());

}  // namespace compactor
