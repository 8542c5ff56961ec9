#include "lsp/formatting.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "lsp/record_line.h"
#include "sources/field_reader.h"

namespace compactor::lsp {
namespace {

struct Line {
  std::string_view content;  // without its line end
  std::string_view end;      // "\r\n", "\n", "\r" or "" for the last
};

std::vector<Line> lines_of(std::string_view text) {
  std::vector<Line> out;
  size_t begin = 0;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\r' && text[i] != '\n') continue;
    const size_t end = text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n' ? i + 2 : i + 1;
    out.push_back({text.substr(begin, i - begin), text.substr(i, end - i)});
    begin = end;
    i = end - 1;
  }
  if (begin < text.size()) out.push_back({text.substr(begin), {}});
  return out;
}

// How a record's example lays out a value field: the spaces before it and its width.
struct ExampleField {
  size_t lead = 0;
  size_t width = 0;
};

std::vector<ExampleField> example_layout(Format format, const RecordInfo& record) {
  std::vector<ExampleField> out;
  if (const std::optional<RecordLine> example = read_record_line(format, record.example)) {
    size_t previous_end = example->keyword_begin + example->keyword.size();
    for (const RecordLine::Value& v : example->values) {
      out.push_back({v.begin - previous_end - 1, v.text.size()});
      previous_end = v.begin + v.text.size();
    }
  }
  out.resize(record.fields.size());
  return out;
}

// A line that is one whole record, to be aligned with the records of its kind around it.
struct Aligned {
  size_t line = 0;
  RecordLine record;
};

// The lines of a block of consecutive records whose fields are alike, aligned.
void align(Format format, const std::vector<Line>& lines, const std::vector<Aligned>& block,
           std::vector<std::string>& out) {
  const std::span<const FieldInfo> fields = block.front().record.record->fields;
  // The widest example among the block's records (the three chainage records share their fields).
  std::vector<ExampleField> example(fields.size());
  size_t keyword_width = 0;
  for (const Aligned& a : block) {
    keyword_width = std::max(keyword_width, a.record.keyword.size());
    const std::vector<ExampleField> own = example_layout(format, *a.record.record);
    for (size_t j = 0; j < fields.size(); ++j) {
      example[j].lead = std::max(example[j].lead, own[j].lead);
      example[j].width = std::max(example[j].width, own[j].width);
    }
  }
  // Where each field ends (a number) or starts (a text), in columns from 0.
  std::vector<size_t> column(fields.size());
  size_t previous = keyword_width;
  for (size_t j = 0; j < fields.size(); ++j) {
    size_t widest = 0;
    for (const Aligned& a : block) widest = std::max(widest, a.record.values[j].text.size());
    if (fields[j].width == FieldWidth::text) {
      column[j] = previous + 1 + example[j].lead;
      previous = column[j] + widest;
    } else {
      // As wide as the example's column, and wider by the widest value with up to two spaces before it.
      column[j] = previous + 1 +
                  std::max(example[j].lead + example[j].width, widest + std::min<size_t>(example[j].lead, 2));
      previous = column[j];
    }
  }
  for (const Aligned& a : block) {
    const RecordLine& r = a.record;
    std::string text(r.keyword);
    for (size_t j = 0; j < fields.size(); ++j) {
      const std::string_view value = r.values[j].text;
      const size_t at = text.size() + 1;  // just past the comma
      const size_t start = fields[j].width == FieldWidth::text ? column[j] : column[j] - value.size();
      text += ',';
      text.append(start > at ? start - at : 0, ' ');
      text += value;
    }
    // What follows the last field on its line (a number's spaces) stays.
    const std::string_view content = lines[a.line].content;
    const RecordLine::Value& last = r.values.back();
    text += content.substr(last.begin + last.text.size());
    out[a.line] = std::move(text);
  }
}

}  // namespace

std::string format_description(std::string_view text, Format format) {
  const std::vector<Line> lines = lines_of(text);
  std::vector<std::string> out(lines.size());
  for (size_t i = 0; i < lines.size(); ++i) out[i] = std::string(lines[i].content);

  std::vector<Aligned> block;
  auto flush = [&] {
    if (!block.empty()) align(format, lines, block, out);
    block.clear();
  };
  for (size_t i = 0; i < lines.size(); ++i) {
    std::optional<RecordLine> record = read_record_line(format, lines[i].content);
    bool alignable = record && record->whole && !record->values.empty();
    // An empty field at the very end of the text: the spaces in front of it are all that
    // keeps the text from ending after the field before it.
    if (alignable && lines[i].end.empty() && record->values.back().text.empty()) alignable = false;
    if (!alignable) {
      flush();
      continue;
    }
    if (!block.empty() && block.front().record.record->fields.data() != record->record->fields.data())
      flush();
    block.push_back({i, std::move(*record)});
  }
  flush();

  std::string formatted;
  formatted.reserve(text.size() + text.size() / 8);
  for (size_t i = 0; i < lines.size(); ++i) {
    formatted += out[i];
    formatted += lines[i].end;
  }
  return formatted;
}

}  // namespace compactor::lsp
