#include "sources/pack_text.h"

#include <cstdint>
#include <cstdio>
#include <stdexcept>

#include "sources/cp1252.h"
#include "sources/text_bounds.h"
#include "sources/text_writer.h"

namespace compactor {
namespace {

std::string code_point_name(char32_t cp) {
  char buf[16];
  std::snprintf(buf, sizeof buf, "U+%04X", static_cast<unsigned>(cp));
  return buf;
}

// One line of a UTF-8 text: checked character by character, kept as it stands.
void check_utf8_line(std::string_view line, int number, std::vector<TextProblem>& problems) {
  int column = 1;
  for (size_t i = 0; i < line.size(); ++column) {
    char32_t cp = 0;
    const size_t n = utf8_sequence(line, i, cp);
    if (n == 0) {
      char buf[8];
      std::snprintf(buf, sizeof buf, "0x%02X", static_cast<unsigned>(static_cast<uint8_t>(line[i])));
      problems.push_back({number, column, msg(MessageId::pack_not_utf8, buf)});
      ++i;
      continue;
    }
    if (cp < 0x20 && cp != '\t') {
      problems.push_back({number, column, msg(MessageId::pack_control, code_point_name(cp))});
    } else if (n > 1 && !is_cp1252_encodable(line.substr(i, n))) {
      problems.push_back({number, column, msg(MessageId::pack_no_cp1252, code_point_name(cp))});
    }
    i += n;
  }
}

void check_cp1252_line(std::string_view line, int number, std::vector<TextProblem>& problems) {
  for (size_t i = 0; i < line.size(); ++i) {
    const auto b = static_cast<uint8_t>(line[i]);
    if (b < 0x20 && b != '\t')
      problems.push_back({number, static_cast<int>(i) + 1, msg(MessageId::pack_control, code_point_name(b))});
  }
}

}  // namespace

std::optional<TextEncoding> encoding_named(std::string_view name) {
  if (name == "utf-8") return TextEncoding::utf8;
  if (name == "windows-1252") return TextEncoding::windows1252;
  return std::nullopt;
}

std::string_view encoding_name(TextEncoding encoding) {
  return encoding == TextEncoding::utf8 ? "utf-8" : "windows-1252";
}

DecodedText decode_pack_text(std::string_view bytes, TextEncoding encoding) {
  DecodedText out;
  if (encoding == TextEncoding::utf8 && bytes.starts_with("\xEF\xBB\xBF")) bytes.remove_prefix(3);
  // Problems beyond the first kMostProblems are only counted.
  std::vector<TextProblem> found;
  auto keep = [&] {
    for (TextProblem& p : found) {
      if (out.problems.size() < kMostProblems)
        out.problems.push_back(std::move(p));
      else
        ++out.problems_not_kept;
    }
    found.clear();
  };
  size_t start = 0;
  size_t number = 0;
  while (start < bytes.size()) {
    size_t end = bytes.find('\n', start);
    const size_t next = end == std::string_view::npos ? bytes.size() : end + 1;
    if (end == std::string_view::npos) end = bytes.size();
    std::string_view line = bytes.substr(start, end - start);
    if (end < bytes.size() && line.ends_with('\r')) line.remove_suffix(1);
    start = next;
    // Past the line table the lines are only counted: the text is refused anyway.
    if (++number > kMostPackTextLines) continue;
    const int at = static_cast<int>(number);
    if (line.size() > kLongestTextLine) {
      found.push_back(
          {at, static_cast<int>(kLongestTextLine) + 1, line_too_long_message(line.size()), TextProblem::Kind::long_line});
      out.lines.emplace_back();
    } else if (encoding == TextEncoding::utf8) {
      check_utf8_line(line, at, found);
      out.lines.emplace_back(line);
    } else {
      check_cp1252_line(line, at, found);
      out.lines.push_back(cp1252_to_utf8(line));
    }
    if (out.lines.back() == kEndOfText)
      found.push_back({at, 1, msg(MessageId::pack_end_marker, kEndOfText), TextProblem::Kind::line_table});
    keep();
  }
  if (number > kMostPackTextLines) {
    found.push_back({static_cast<int>(kMostPackTextLines) + 1, 1,
                     msg(MessageId::pack_too_many_lines, std::to_string(number), std::to_string(kMostPackTextLines)),
                     TextProblem::Kind::line_table});
    keep();
  }
  return out;
}

PackTexts::Lines::Lines(std::string_view file, std::string_view bytes, TextEncoding encoding) {
  DecodedText text = decode_pack_text(bytes, encoding);
  if (!text.problems.empty()) {
    const TextProblem& p = text.problems.front();
    throw std::invalid_argument(std::string(file) + ":" + std::to_string(p.line) + ":" +
                                std::to_string(p.column) + ": " + render(p.message, Language::en));
  }
  lines = std::move(text.lines);
  views.assign(lines.begin(), lines.end());
}

PackTexts::PackTexts(const PackBytes& bytes)
    : line_name_(bytes.line_name),
      train_number_(bytes.train_number),
      line_(kPackLine, bytes.line, bytes.encoding),
      train_(kPackTrain, bytes.train, bytes.encoding),
      notes_(kPackNotes, bytes.notes, bytes.encoding),
      form_(kPackForm, bytes.form, bytes.encoding),
      card_(kPackCard, bytes.card, bytes.encoding) {}

}  // namespace compactor
