#include "lsp/record_line.h"

#include "sources/field_reader.h"

namespace compactor::lsp {

std::optional<RecordLine> read_record_line(Format format, std::string_view line) {
  const size_t first = line.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  const FieldSpot spot = field_at(format, line, first);
  if (spot.kind != SpotKind::keyword || !spot.record) return std::nullopt;
  RecordLine out;
  out.record = spot.record;
  out.keyword = spot.text;
  out.keyword_begin = spot.begin;
  FieldReader reader(line);
  reader.read_text();
  bool commas = true;
  try {
    for (const FieldInfo& f : spot.record->fields) {
      if (reader.at_end()) break;
      read_field_of_width(reader, f.width);
      const Field& read = reader.last();
      const size_t begin = static_cast<size_t>(read.column - 1);
      out.values.push_back({line.substr(begin, read.text.size()), begin});
      const size_t after = begin + read.text.size();
      const bool last = out.values.size() == spot.record->fields.size();
      if (!last && (after >= line.size() || line[after] != ',')) commas = false;
    }
  } catch (const ReadingFailure&) {
    return out;
  }
  const size_t n = spot.record->fields.size();
  if (commas && out.values.size() == n && reader.at_end()) {
    // A keyword that two records share reads the second record's fields after the first's.
    const FieldSpot last = field_at(format, line, out.values.back().begin);
    out.whole =
        last.kind == SpotKind::value && last.record == spot.record && last.field == static_cast<int>(n);
  }
  return out;
}

std::optional<int32_t> number_of(std::string_view text) {
  try {
    FieldReader reader(text);
    const int32_t value = reader.read_i32();
    if (reader.last().text.empty() || !reader.at_end()) return std::nullopt;
    // Text that is no number reads as 0: only a field of digits is a number.
    const std::string_view t = reader.last().text;
    if (t.find_first_not_of("+-0123456789.") != std::string_view::npos) return std::nullopt;
    return value;
  } catch (const ReadingFailure&) {
    return std::nullopt;
  }
}

}  // namespace compactor::lsp
