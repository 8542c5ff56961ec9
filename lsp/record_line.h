#pragma once
// One line of a description read as a record, as the field reader reads a record that starts
// there: its keyword field, and its value fields in the widths the record reads them (a number
// ends at a comma, a line end or a space). The editor's outline, hovers and formatting read
// lines this way; the compilers read the whole text as one stream.

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "sources/record_fields.h"

namespace compactor::lsp {

struct RecordLine {
  const RecordInfo* record = nullptr;
  std::string_view keyword;  // the keyword field as it stands (from its first character that is not a space)
  size_t keyword_begin = 0;  // 0-based column
  struct Value {
    std::string_view text;  // as read: a number's digits, a text to the comma or the line end
    size_t begin = 0;       // 0-based column of its first character
  };
  std::vector<Value> values;  // the value fields that stand on the line, in order
  // Every value field of the record stands on the line, each ended by a comma right after it
  // (the last by the line's end), and the line holds nothing else: no second record.
  bool whole = false;
};

// The record that starts the line (Windows-1252, without its line end), or nullopt when its
// first field is no record's keyword (a comment, a header, a misspelt keyword, an empty line).
std::optional<RecordLine> read_record_line(Format format, std::string_view line);

// A value field's number, when it is one (as the field reader reads it: rounded, in range of 32 bits).
std::optional<int32_t> number_of(std::string_view text);

}  // namespace compactor::lsp
