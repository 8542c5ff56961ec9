#pragma once
// The base protocol of a language server: a message is a header of "Name: value" lines
// ("Content-Length: N" among them; the others are passed over) ended by a blank line, then N
// bytes of JSON. The reader takes the bytes as they come and hands out whole messages, and
// the stream's problems as it meets them, each as a catalogue message:
// - a body that is not JSON;
// - a header without a length, or a length that is not a number: its body cannot be found,
//   so the reader passes over bytes until the next "Content-Length:";
// - a length larger than any message may be: refused before a byte of it is kept, and its
//   bytes passed over as they come, so that memory stays bounded whatever a client sends;
// - a length past the end of its message, which holds the next header: the message before it
//   is read all the same, and the reading goes on from that header;
// - the input ending inside a message.

#include <cstddef>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "sources/messages.h"

namespace compactor::lsp {

// The largest message taken: room for the largest description twice over, escaped as JSON.
inline constexpr size_t kMostMessageBytes = size_t{64} << 20;
// The largest header: a few short lines.
inline constexpr size_t kMostHeaderBytes = size_t{8} << 10;

// What the reader hands out: a message, or what was wrong with the stream.
struct Incoming {
  std::optional<nlohmann::json> message;
  std::optional<Message> problem;
  bool parse_error = false;  // the problem is a body that is not JSON (else a header's)
};

class MessageReader {
 public:
  void feed(std::string_view bytes);
  // The next message or problem; nullopt when the bytes so far hold no more.
  std::optional<Incoming> next();
  // At the end of the input: the problem of a message left unfinished, if there is one.
  std::optional<Message> finish();
  // The bytes held for messages not yet whole.
  size_t held() const { return buffer_.size() - start_; }

 private:
  enum class State { header, body, skip, resync };
  std::optional<Incoming> read_header();
  std::optional<Incoming> read_body();
  void compact();

  std::string buffer_;
  size_t start_ = 0;  // the first byte of buffer_ not yet read
  State state_ = State::header;
  size_t length_ = 0;     // of the body being waited for
  size_t skip_left_ = 0;  // bytes of a refused message still to pass over
};

// The message with its header, as it goes to the client: its JSON on one line (text that is
// not UTF-8 replaced), the length in bytes.
std::string frame(const nlohmann::json& message);

}  // namespace compactor::lsp
