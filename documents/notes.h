#pragma once
// The notes document for the driver.

#include <span>
#include <string>
#include <string_view>

#include "sources/file_sink.h"

namespace compactor {

// The lines of the notes document, UTF-8.
std::span<const std::string_view> notes_lines();

// Writes the notes document through the fixed-text writer.
void dati_note(FileSink& sink, const std::string& line_name, const std::string& train_number);

}  // namespace compactor
