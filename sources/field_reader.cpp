#include "sources/field_reader.h"

#include <fast_float/fast_float.h>

#include <cctype>
#include <cstdlib>

#include "sources/conversion.h"

namespace compactor {

FieldReader::FieldReader(std::string_view text) : text_(text) {}

void FieldReader::skip_spaces() {
  while (pos_ < text_.size() && text_[pos_] == ' ') ++pos_;
}

bool FieldReader::at_line_end() const {
  return pos_ < text_.size() && (text_[pos_] == '\r' || text_[pos_] == '\n');
}

void FieldReader::consume_line_end() {
  if (text_[pos_] == '\r') {
    ++pos_;
    if (pos_ < text_.size() && text_[pos_] == '\n') ++pos_;
  } else {
    ++pos_;
  }
  ++line_;
  line_start_ = pos_;
}

void FieldReader::require_field() {
  if (at_end())
    throw ReadingFailure("the text ends where a field is expected", line_,
                         static_cast<int>(pos_ - line_start_) + 1);
}

Field FieldReader::take_field(bool ends_at_space) {
  require_field();
  skip_spaces();
  Field f;
  f.line = line_;
  f.column = static_cast<int>(pos_ - line_start_) + 1;
  const size_t begin = pos_;
  while (pos_ < text_.size() && text_[pos_] != ',' && !at_line_end() &&
         !(ends_at_space && text_[pos_] == ' '))
    ++pos_;
  f.text = std::string(text_.substr(begin, pos_ - begin));
  // A number passes over the spaces after it; the comma or line end that follows is consumed.
  if (ends_at_space) skip_spaces();
  f.ends_line = pos_ >= text_.size();
  if (pos_ < text_.size()) {
    if (text_[pos_] == ',') {
      ++pos_;
    } else if (at_line_end()) {
      consume_line_end();
      f.ends_line = true;
    }
  }
  if (observer_) {
    const size_t tab = f.text.find('\t');
    if (tab != std::string::npos) observer_->tab_in_field(f, f.column + static_cast<int>(tab));
  }
  ++record_fields_;
  if (f.line == record_line_) {
    ++record_fields_on_line_;
  } else if (!record_later_) {
    record_later_ = true;
    record_later_field_ = f;
  }
  last_ = f;
  return f;
}

Field FieldReader::read_text() { return take_field(false); }

namespace {

// A number token: optional sign, digits, optionally a point and more digits.
bool parse_number(std::string_view token, double& value) {
  size_t i = 0;
  if (i < token.size() && (token[i] == '+' || token[i] == '-')) ++i;
  size_t digits = 0;
  while (i < token.size() && std::isdigit(static_cast<unsigned char>(token[i]))) ++i, ++digits;
  if (i < token.size() && token[i] == '.') {
    ++i;
    while (i < token.size() && std::isdigit(static_cast<unsigned char>(token[i]))) ++i, ++digits;
  }
  if (digits == 0 || i != token.size()) return false;
  // fast_float reads the same in every locale and on every toolchain, rounded correctly; it
  // takes no leading '+'. A number of hundreds of digits becomes an infinity, too large for
  // any field.
  if (token.front() == '+') token.remove_prefix(1);
  const auto [end, ec] = fast_float::from_chars(token.data(), token.data() + token.size(), value);
  return ec == std::errc() && end == token.data() + token.size();
}

}  // namespace

int64_t FieldReader::read_number(int64_t min, int64_t max, const char* width) {
  const Field f = take_field(true);
  double value = 0;
  if (!parse_number(f.text, value)) {
    // A tab in the field has been reported already.
    if (observer_ && !f.text.empty() && f.text.find('\t') == std::string::npos) observer_->not_a_number(f);
    return 0;
  }
  // The bounds of every width are exact in binary64, so the comparison is exact.
  const double r = round_half_even(value);
  if (r < static_cast<double>(min) || r > static_cast<double>(max))
    throw ReadingFailure("the number " + f.text + " does not fit a " + width + " field", f.line, f.column,
                         f.text, width);
  return static_cast<int64_t>(r);
}

void FieldReader::mark_record(int keyword_line) {
  record_line_ = keyword_line;
  record_fields_ = 0;
  record_fields_on_line_ = 0;
  record_later_ = false;
}

int FieldReader::rest_of_line_column() const {
  if (last_.ends_line) return 0;
  for (size_t i = pos_; i < text_.size() && text_[i] != '\r' && text_[i] != '\n'; ++i) {
    if (text_[i] != ' ') return static_cast<int>(i - line_start_) + 1;
  }
  return 0;
}

std::string_view FieldReader::line_text(int line) const {
  if (!lines_) lines_.emplace(text_);
  return lines_->line_text(line);
}

bool contains(std::string_view field, std::string_view word) {
  return field.find(word) != std::string_view::npos;
}

bool contains_nocase(std::string_view field, std::string_view word) {
  if (word.empty()) return true;
  if (word.size() > field.size()) return false;
  auto lower = [](char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); };
  for (size_t i = 0; i + word.size() <= field.size(); ++i) {
    size_t k = 0;
    while (k < word.size() && lower(field[i + k]) == lower(word[k])) ++k;
    if (k == word.size()) return true;
  }
  return false;
}

bool is_section_header(std::string_view field) {
  if (!contains(field, "[") || !contains(field, "]")) return false;
  const size_t first = field.find_first_not_of(' ');
  return first == std::string_view::npos || field[first] != '-';
}

}  // namespace compactor
