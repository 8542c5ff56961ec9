#pragma once
// What every value field of the two description formats is: its name (as docs/ names it),
// the width the field reader reads it in, the values it may take and what the compiler
// does with others, its unit, whether it is a point on the line, and its meaning in English
// and in Italian. Beside them a one-line meaning of every record and section header, and
// the small pure functions the editors share: which record and field a column of a line
// stands in, a record as a snippet, and the hover text of a field. Every row refers to its
// row of record_tables.h, so the two tables cannot drift apart.

#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "sources/messages.h"
#include "sources/record_tables.h"

namespace compactor {

// One text in both languages (Language of sources/messages.h): plain text, no markup.
struct Words {
  std::string_view en{};
  std::string_view it{};
  std::string_view in(Language l) const { return l == Language::it ? it : en; }
};

// How the field reader reads the field.
enum class FieldWidth { i32, i16, u8, text };

class FieldReader;
// Reads the reader's next field as the width says; a number too large for its width throws
// ReadingFailure after the field has been read (reader.last() holds it).
void read_field_of_width(FieldReader& reader, FieldWidth width);

// What the compiler does with a value the field does not allow.
enum class Outcome {
  accepted,  // stored as it stands (or it has some other meaning the note tells)
  warned,    // stored, and scenario-compile warns
  rounded,   // rounded to the nearest allowed value (a position to its 50 m section)
  low_bits,  // stored in a narrower field: only its low bits stay
  fault,     // the compile stops with the fault number
};

struct Consequence {
  Outcome outcome = Outcome::accepted;
  int fault = 0;  // the fault number when outcome is fault
};

// The line's length plus this is a position's upper bound; kNoLineBound when the bound is fixed.
inline constexpr int32_t kNoLineBound = -1;

struct AllowedValues {
  // Inclusive bounds an author keeps to (unused for a text field). With past_line_end set,
  // max is the line's length plus past_line_end, and max itself that of the longest line.
  int64_t min = 0;
  int64_t max = 0;
  int32_t step = 1;  // the values are multiples of step
  int32_t past_line_end = kNoLineBound;
  std::span<const int32_t> only{};  // when not empty: the only values allowed
  Consequence off_step{};           // a value between two multiples of step
  Consequence outside{};            // a value beyond min and max, or not one of only
  Words note{};                     // what happens otherwise, in words (may be empty)
};

struct FieldInfo {
  std::string_view name;  // as docs/ names it: `posizione`, `dx`, `group1` ...
  FieldWidth width;
  AllowedValues allowed;
  std::string_view unit;  // "m", "km/h", "‰" ...; empty when the value has none
  bool position;          // a point on the line: a front may add its chainage
  Words meaning;
};

struct RecordInfo {
  const RecordKeyword* keyword;  // its row of record_tables.h
  Words meaning;                 // one line
  std::string_view example;      // one record as the examples write and align it
  std::span<const FieldInfo> fields;
};

struct HeaderInfo {
  std::string_view header;  // as in record_tables.h
  Words meaning;
};

enum class Format { line, train };

// The records in the order of record_tables.h: for the line description the general section's
// and then the body's; for the train description every record kind.
std::span<const RecordInfo> line_general_info();
std::span<const RecordInfo> line_body_info();
std::span<const RecordInfo> train_info();
std::span<const HeaderInfo> header_info(Format format);
// The record of a keyword as written in record_tables.h, or nullptr.
const RecordInfo* find_record_info(Format format, std::string_view written);

// "32-bit signed", "intero a 8 bit senza segno", "text" ...
std::string_view width_text(FieldWidth width, Language language);
// The allowed values in words: "0 to 2", "0 or 1", "a multiple of 50 from 0 to the line's
// length + 6900"; empty when the field takes any value of its width.
std::string allowed_text(const FieldInfo& field, Language language);

// Where a column of one line stands, read as the field reader reads the line when it starts
// a record: commas and line ends end fields, spaces before a field are skipped, a number also
// ends at a space, up to two fields holding '-' in a row are comments, and a field that
// matches no record (a misspelt keyword, a field past a record's last) is a keyword field.
enum class SpotKind {
  none,     // an empty line, or a column past the line's last field
  keyword,  // the keyword field of record
  value,    // value field `field` of record
  extra,    // a field past the last value field of record: read as a keyword that matches nothing
  other,    // a keyword field that matches no record
  comment,  // a comment field
  header,   // a section header
};

struct FieldSpot {
  SpotKind kind = SpotKind::none;
  const RecordInfo* record = nullptr;  // keyword, value, extra
  const HeaderInfo* header = nullptr;  // header: one of the format's own, or nullptr
  int field = 0;                       // value: 1-based value field; 0 otherwise
  size_t begin = 0;                    // the field's text, 0-based columns, end exclusive
  size_t end = 0;
  std::string_view text;  // the field's text, a view into the line
};

// The line is one line of a description without its line end, one byte a character
// (Windows-1252); column is 0-based. A column on a comma belongs to the field before it.
FieldSpot field_at(Format format, std::string_view line, size_t column);

// A whole record as a snippet: its keyword, then each value field as a numbered placeholder
// named by the field's name ("${1:posizione}"), separated and aligned as its example.
std::string record_snippet(const RecordInfo& record);

// The hover of a spot in plain text, one item a line: a title line ("segnale, field 7 of 11:
// dx"), then width, allowed values and unit, then the meaning, then what happens to other
// values. Empty for SpotKind::none.
std::string hover_text(const FieldSpot& spot, Language language);

}  // namespace compactor
