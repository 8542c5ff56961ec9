#pragma once
// Lines and columns of a text in memory: the one place where an offset becomes
// line:column. A line ends at CR LF, LF or a lone CR, as the field reader counts them.
// Columns count characters: a byte of a Windows-1252 text, a whole character of a UTF-8
// text.

#include <cstddef>
#include <string_view>
#include <vector>

namespace compactor {

enum class TextUnits { bytes, utf8 };

struct TextPosition {
  int line = 1;
  int column = 1;
  bool operator==(const TextPosition&) const = default;
};

class LineIndex {
 public:
  explicit LineIndex(std::string_view text);

  // The line and column of a byte offset (an offset past the end counts as the end).
  TextPosition position(std::size_t offset, TextUnits units = TextUnits::bytes) const;
  // The text of a line (1-based) without its line end; empty when there is no such line.
  std::string_view line_text(int line) const;
  int lines() const { return static_cast<int>(starts_.size()); }

 private:
  std::string_view text_;
  std::vector<std::size_t> starts_;  // the offset of each line's first byte
};

// The number of characters in a UTF-8 text (bytes that do not continue a character).
int utf8_length(std::string_view text);

}  // namespace compactor
