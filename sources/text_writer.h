#pragma once
// The fixed-text writer shared by the two descriptions and the three documents:
// a line table of 1001 entries, the content lines from index 0 and the end-of-text
// marker after them; every line before the marker goes out in Windows-1252 with
// CR LF after it.

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sources/file_sink.h"

namespace compactor {

inline constexpr std::string_view kEndOfText = "riferimento fine del file";
inline constexpr size_t kLineTableSize = 1001;

// The content lines (UTF-8) at indices 0 upward, then the marker; the rest empty.
std::vector<std::string> fill_line_table(std::span<const std::string_view> content);

// Every line before the first entry equal to the marker, each followed by CR LF,
// encoded in Windows-1252. A table without the marker stops after its last entry.
// Throws EncodingError for a character without a Windows-1252 byte.
std::string render_line_table(std::span<const std::string> table);

// Fills the table, renders it and replaces the named file with the result.
void write_fixed_text(FileSink& sink, const std::string& name, std::span<const std::string_view> content);

}  // namespace compactor
