#include "sources/text_position.h"

#include <algorithm>

namespace compactor {

LineIndex::LineIndex(std::string_view text) : text_(text) {
  starts_.push_back(0);
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] == '\n' || (text[i] == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n')))
      starts_.push_back(i + 1);
  }
}

TextPosition LineIndex::position(std::size_t offset, TextUnits units) const {
  offset = std::min(offset, text_.size());
  // The last line that starts at or before the offset; a line end belongs to its line.
  const auto after = std::upper_bound(starts_.begin(), starts_.end(), offset);
  const std::size_t line = static_cast<std::size_t>(after - starts_.begin());
  const std::size_t start = starts_[line - 1];
  const std::string_view before = text_.substr(start, offset - start);
  const int column = units == TextUnits::utf8 ? utf8_length(before) : static_cast<int>(before.size());
  return TextPosition{static_cast<int>(line), column + 1};
}

std::string_view LineIndex::line_text(int line) const {
  if (line < 1 || static_cast<std::size_t>(line) > starts_.size()) return {};
  const std::size_t begin = starts_[static_cast<std::size_t>(line) - 1];
  std::size_t end = begin;
  while (end < text_.size() && text_[end] != '\r' && text_[end] != '\n') ++end;
  return text_.substr(begin, end - begin);
}

int utf8_length(std::string_view text) {
  return static_cast<int>(std::count_if(
      text.begin(), text.end(), [](char ch) { return (static_cast<unsigned char>(ch) & 0xC0) != 0x80; }));
}

}  // namespace compactor
