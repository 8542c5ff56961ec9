#include "sources/text_writer.h"

#include <stdexcept>

#include "sources/cp1252.h"

namespace compactor {

std::vector<std::string> fill_line_table(std::span<const std::string_view> content) {
  if (content.size() + 1 > kLineTableSize) throw std::length_error("more lines than the line table holds");
  std::vector<std::string> table(kLineTableSize);
  size_t i = 0;
  for (auto line : content) table[i++] = std::string(line);
  table[i] = std::string(kEndOfText);
  return table;
}

std::string render_line_table(std::span<const std::string> table) {
  std::string out;
  for (const auto& line : table) {
    if (line == kEndOfText) break;
    out += utf8_to_cp1252(line);
    out += "\r\n";
  }
  return out;
}

void write_fixed_text(FileSink& sink, const std::string& name, std::span<const std::string_view> content) {
  const auto table = fill_line_table(content);
  sink.replace_file(name, render_line_table(table));
}

}  // namespace compactor
