#pragma once
// The field reader shared by the line and the train description: the text, already
// in memory, is one stream of fields separated by commas and line ends. Every field
// knows the line and column it came from, so a fault can be reported as file:line.

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "sources/text_position.h"

namespace compactor {

struct Field {
  std::string text;        // Windows-1252 bytes as they stand in the description
  int line = 0;            // 1-based
  int column = 0;          // 1-based, of the first character after the skipped spaces
  bool ends_line = false;  // the field ended its line (a line end or the end of the text)
};

// A number out of range for its width, or the end of the text reached while a
// record still expects a field. The compiler turns it into fault 25.
class ReadingFailure : public std::runtime_error {
 public:
  ReadingFailure(const std::string& what, int line, int column, std::string number = {},
                 std::string width = {})
      : std::runtime_error(what),
        line_(line),
        column_(column),
        number_(std::move(number)),
        width_(std::move(width)) {}
  int line() const { return line_; }
  int column() const { return column_; }
  // For a number out of range: its text (as it stands) and the width ("8-bit"); empty otherwise.
  const std::string& number() const { return number_; }
  const std::string& width() const { return width_; }

 private:
  int line_;
  int column_;
  std::string number_;
  std::string width_;
};

// Told about fields that read differently from what their author probably meant.
class FieldObserver {
 public:
  virtual ~FieldObserver() = default;
  // A number field that holds text: it reads as 0.
  virtual void not_a_number(const Field& field) = 0;
  // A field with a tab in it (the tab is part of the field); column is the tab's.
  virtual void tab_in_field(const Field& field, int column) = 0;
};

class FieldReader {
 public:
  explicit FieldReader(std::string_view text);

  // True when the read position has reached the end of the text.
  bool at_end() const { return pos_ >= text_.size(); }
  // The read position: the index in the text of the next character to be read.
  size_t offset() const { return pos_; }

  // Reads the next field as text: from the first character that is not a space to
  // the next comma or line end, which is consumed with it.
  Field read_text();

  // Read the next field as a number of the given width. The number ends at a comma,
  // a line end or a space; spaces after it up to a comma or a line end are passed
  // over and that comma or line end is consumed. An empty or non-numeric field
  // reads 0; a number out of range for the width is a ReadingFailure.
  int32_t read_i32() { return static_cast<int32_t>(read_number(INT32_MIN, INT32_MAX, "32-bit")); }
  int16_t read_i16() { return static_cast<int16_t>(read_number(INT16_MIN, INT16_MAX, "16-bit")); }
  uint8_t read_u8() { return static_cast<uint8_t>(read_number(0, 255, "8-bit")); }

  // The field most recently read (text or number).
  const Field& last() const { return last_; }

  // The text of a source line (1-based), without its line end; empty when out of range.
  std::string_view line_text(int line) const;

  void set_observer(FieldObserver* observer) { observer_ = observer; }

  // Watching one record: the fields read since mark_record, and the first of them that
  // stands on a later line than the record's keyword.
  void mark_record(int keyword_line);
  int record_fields() const { return record_fields_; }
  int record_fields_on_keyword_line() const { return record_fields_on_line_; }
  const Field* record_later_field() const { return record_later_ ? &record_later_field_ : nullptr; }
  // The column of the first character that is not a space after the last field on its
  // line, or 0 when that field ended its line.
  int rest_of_line_column() const;

 private:
  int64_t read_number(int64_t min, int64_t max, const char* width);
  // Reads one field up to a comma or a line end (numbers also end at a space) and consumes them.
  Field take_field(bool ends_at_space);
  void skip_spaces();
  bool at_line_end() const;
  void consume_line_end();
  void require_field();

  std::string_view text_;
  size_t pos_ = 0;
  int line_ = 1;
  size_t line_start_ = 0;
  Field last_;
  mutable std::optional<LineIndex> lines_;  // made when a line's text is first asked for
  FieldObserver* observer_ = nullptr;
  int record_line_ = 0;
  int record_fields_ = 0;
  int record_fields_on_line_ = 0;
  bool record_later_ = false;
  Field record_later_field_;
};

// Keyword tests: substring tests, never equality.
bool contains(std::string_view field, std::string_view word);
// The same without regard to the case of ASCII letters.
bool contains_nocase(std::string_view field, std::string_view word);

// A section header: contains both "[" and "]" and its first non-space character is not "-".
bool is_section_header(std::string_view field);

}  // namespace compactor
