#include "lsp/framing.h"

#include <algorithm>
#include <cctype>
#include <stdexcept>

namespace compactor::lsp {
namespace {

using nlohmann::json;

constexpr std::string_view kLengthName = "content-length";
// Deeper than any message of the protocol: a body nested deeper is refused as it is read.
constexpr int kDeepestNesting = 256;

char lower(char c) { return static_cast<char>(std::tolower(static_cast<unsigned char>(c))); }

// Where "content-length:" starts in the text (any case), from offset on; npos when it does not.
size_t find_length_header(std::string_view text, size_t from) {
  constexpr std::string_view kHeader = "content-length:";
  for (size_t i = from; i + kHeader.size() <= text.size(); ++i) {
    size_t k = 0;
    while (k < kHeader.size() && lower(text[i + k]) == kHeader[k]) ++k;
    if (k == kHeader.size()) return i;
  }
  return std::string_view::npos;
}

// Just past the object or array that starts the text (after spaces), its strings respected;
// npos when the text does not start with one or ends inside it.
size_t value_end(std::string_view text) {
  size_t i = text.find_first_not_of(" \t\r\n");
  if (i == std::string_view::npos || (text[i] != '{' && text[i] != '[')) return std::string_view::npos;
  size_t depth = 0;
  for (; i < text.size(); ++i) {
    const char c = text[i];
    if (c == '"') {
      for (++i; i < text.size() && text[i] != '"'; ++i)
        if (text[i] == '\\') ++i;
    } else if (c == '{' || c == '[') {
      ++depth;
    } else if ((c == '}' || c == ']') && --depth == 0) {
      return i + 1;
    }
  }
  return std::string_view::npos;
}

std::string_view trimmed(std::string_view s) {
  while (!s.empty() && (s.front() == ' ' || s.front() == '\t')) s.remove_prefix(1);
  while (!s.empty() && (s.back() == ' ' || s.back() == '\t' || s.back() == '\r')) s.remove_suffix(1);
  return s;
}

// The body as JSON; throws json::exception, or std::runtime_error for a body nested too deep.
json parse_body(std::string_view body) {
  return json::parse(body, [](int depth, json::parse_event_t, json&) {
    if (depth > kDeepestNesting)
      throw std::runtime_error("nested deeper than " + std::to_string(kDeepestNesting) + " levels");
    return true;
  });
}

// nlohmann's "[json.exception.parse_error.101] parse error at line 1, column 2: ..." without its prefix.
std::string reason_of(const std::exception& e) {
  std::string what = e.what();
  if (const size_t bracket = what.find("] ");
      what.starts_with("[json.exception.") && bracket != std::string::npos)
    what = what.substr(bracket + 2);
  return what;
}

}  // namespace

void MessageReader::feed(std::string_view bytes) {
  // A refused message's bytes are passed over as they come, never kept.
  if (state_ == State::skip && start_ == buffer_.size()) {
    const size_t passed = std::min(skip_left_, bytes.size());
    skip_left_ -= passed;
    bytes.remove_prefix(passed);
    if (skip_left_ == 0) state_ = State::header;
  }
  compact();
  buffer_.append(bytes);
}

void MessageReader::compact() {
  if (start_ == 0) return;
  if (start_ >= buffer_.size()) {
    buffer_.clear();
    start_ = 0;
  } else if (start_ > buffer_.size() / 2) {
    buffer_.erase(0, start_);
    start_ = 0;
  }
}

std::optional<Incoming> MessageReader::next() {
  for (;;) {
    const std::string_view rest = std::string_view(buffer_).substr(start_);
    switch (state_) {
      case State::skip: {
        const size_t passed = std::min(skip_left_, rest.size());
        skip_left_ -= passed;
        start_ += passed;
        if (skip_left_ > 0) return std::nullopt;
        state_ = State::header;
        break;
      }
      case State::resync: {
        const size_t at = find_length_header(rest, 0);
        if (at == std::string_view::npos) {
          // Keep what could be the start of a header cut by the end of the bytes so far.
          start_ += rest.size() > kLengthName.size() ? rest.size() - kLengthName.size() : 0;
          return std::nullopt;
        }
        start_ += at;
        state_ = State::header;
        break;
      }
      case State::header:
        if (auto out = read_header()) return out;
        if (state_ == State::header) return std::nullopt;
        break;
      case State::body:
        if (auto out = read_body()) return out;
        return std::nullopt;
    }
  }
}

std::optional<Incoming> MessageReader::read_header() {
  std::string_view rest = std::string_view(buffer_).substr(start_);
  // Blank lines between messages are passed over.
  size_t lead = 0;
  while (lead < rest.size() && (rest[lead] == '\r' || rest[lead] == '\n')) ++lead;
  start_ += lead;
  rest.remove_prefix(lead);
  // The header ends at a blank line: CR LF CR LF, or LF LF from a lenient client.
  const size_t crlf = rest.find("\r\n\r\n");
  const size_t lf = rest.find("\n\n");
  const size_t end = std::min(crlf, lf);
  if (end == std::string_view::npos || end > kMostHeaderBytes) {
    if (rest.size() <= kMostHeaderBytes) return std::nullopt;
    start_ += 1;  // at least past this header's first byte, to find the next one
    state_ = State::resync;
    return Incoming{std::nullopt, msg(MessageId::lsp_header_too_long, std::to_string(kMostHeaderBytes)),
                    false};
  }
  const std::string_view header = rest.substr(0, end);
  start_ += end + (end == crlf ? 4 : 2);
  std::optional<std::string_view> length_text;
  for (size_t from = 0; from <= header.size();) {
    size_t to = header.find('\n', from);
    if (to == std::string_view::npos) to = header.size();
    const std::string_view line = header.substr(from, to - from);
    from = to + 1;
    const size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    const std::string_view name = trimmed(line.substr(0, colon));
    if (name.size() == kLengthName.size() && std::equal(name.begin(), name.end(), kLengthName.begin(),
                                                        [](char a, char b) { return lower(a) == b; }))
      length_text = trimmed(line.substr(colon + 1));
  }
  if (!length_text) {
    state_ = State::resync;
    return Incoming{std::nullopt, msg(MessageId::lsp_no_length), false};
  }
  const bool digits =
      !length_text->empty() && length_text->size() <= 19 &&
      std::all_of(length_text->begin(), length_text->end(), [](char c) { return c >= '0' && c <= '9'; });
  if (!digits) {
    state_ = State::resync;
    std::string shown(length_text->substr(0, 40));
    return Incoming{std::nullopt, msg(MessageId::lsp_bad_length, shown), false};
  }
  const unsigned long long length = std::stoull(std::string(*length_text));
  if (length > kMostMessageBytes) {
    state_ = State::skip;
    skip_left_ = static_cast<size_t>(std::min<unsigned long long>(length, SIZE_MAX));
    return Incoming{std::nullopt,
                    msg(MessageId::lsp_too_large, std::to_string(length), std::to_string(kMostMessageBytes)),
                    false};
  }
  length_ = static_cast<size_t>(length);
  state_ = State::body;
  return std::nullopt;
}

std::optional<Incoming> MessageReader::read_body() {
  const std::string_view rest = std::string_view(buffer_).substr(start_);
  if (rest.size() < length_) return std::nullopt;
  const std::string_view body = rest.substr(0, length_);
  state_ = State::header;
  try {
    json message = parse_body(body);
    start_ += length_;
    return Incoming{std::move(message), std::nullopt, false};
  } catch (const std::exception& e) {
    // A length past the end of its message takes in the next header, or the start of it:
    // the message before it is read all the same, and the reading goes on from there.
    if (const size_t end = value_end(body); end != std::string_view::npos && end < body.size()) {
      try {
        json message = parse_body(body.substr(0, end));
        start_ += end;
        return Incoming{std::move(message), std::nullopt, false};
      } catch (const std::exception&) {
      }
    }
    // Bytes that are no message, before a header: the reading goes on from the header.
    const size_t next = find_length_header(body, 1);
    start_ += next != std::string_view::npos ? next : length_;
    return Incoming{std::nullopt, msg(MessageId::lsp_not_json, reason_of(e)), true};
  }
}

std::optional<Message> MessageReader::finish() {
  const size_t left = buffer_.size() - start_;
  if (state_ == State::body)
    return msg(MessageId::lsp_input_ended, std::to_string(left), std::to_string(length_));
  if (state_ == State::header && left > 0 &&
      std::any_of(buffer_.begin() + static_cast<std::ptrdiff_t>(start_), buffer_.end(),
                  [](char c) { return c != '\r' && c != '\n'; }))
    return msg(MessageId::lsp_input_ended_in_header);
  return std::nullopt;
}

std::string frame(const nlohmann::json& message) {
  const std::string body = message.dump(-1, ' ', false, json::error_handler_t::replace);
  return "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

}  // namespace compactor::lsp
