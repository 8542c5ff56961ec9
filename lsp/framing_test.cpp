// The base protocol's framing: whole messages however the bytes come, and every problem of a
// stream told and passed over without losing the messages after it.
#include "lsp/framing.h"

#include <gtest/gtest.h>

namespace compactor::lsp {
namespace {

// What the reader makes of a stream: "message <method>" or the problem's id, in order.
std::vector<std::string> read_all(std::string_view stream, size_t piece) {
  MessageReader reader;
  std::vector<std::string> out;
  for (size_t at = 0; at < stream.size(); at += piece) {
    reader.feed(stream.substr(at, piece));
    while (auto in = reader.next())
      out.push_back(in->message ? "message " + in->message->value("method", std::string("?"))
                                : std::string(message_name(in->problem->id)));
  }
  if (const auto end = reader.finish()) out.push_back(std::string(message_name(end->id)));
  return out;
}

std::string framed(std::string_view method) { return frame({{"jsonrpc", "2.0"}, {"method", method}}); }

TEST(Framing, EveryProblemIsToldAndTheMessagesAfterItAreRead) {
  const std::string a = framed("a"), b = framed("b");
  const std::string body = R"({"jsonrpc":"2.0","method":"a"})";
  struct Case {
    std::string name;
    std::string stream;
    std::vector<std::string> expected;
  };
  const std::vector<Case> cases = {
      {"two messages", a + b, {"message a", "message b"}},
      {"other header fields, LF line ends, blank lines between",
       "Content-Type: application/vscode-jsonrpc; charset=utf-8\r\ncontent-length: " +
           std::to_string(body.size()) + "\n\n" + body + "\r\n" + b,
       {"message a", "message b"}},
      {"not JSON", "Content-Length: 5\r\n\r\nhello" + b, {"lsp_not_json", "message b"}},
      {"a header without a length", "Content-Type: x\r\n\r\n" + body + b, {"lsp_no_length", "message b"}},
      {"a length that is no number",
       "Content-Length: 12x\r\n\r\n" + body + b,
       {"lsp_bad_length", "message b"}},
      {"a length past the end of its message",
       "Content-Length: " + std::to_string(body.size() + 10) + "\r\n\r\n" + body + b,
       {"message a", "message b"}},
      {"a length past the end of the input", "Content-Length: 100\r\n\r\n" + body, {"lsp_input_ended"}},
      {"a header cut by the end of the input", a + "Content-Len", {"message a", "lsp_input_ended_in_header"}},
      {"a header without its end",
       std::string(kMostHeaderBytes + 10, 'x') + b,
       {"lsp_header_too_long", "message b"}},
      {"JSON nested deeper than any message",
       "Content-Length: 2000\r\n\r\n" + std::string(1000, '[') + std::string(1000, ']') + b,
       {"lsp_not_json", "message b"}},
  };
  for (const Case& c : cases)
    for (const size_t piece : {c.stream.size(), size_t{1}, size_t{7}})
      EXPECT_EQ(read_all(c.stream, piece), c.expected) << c.name << ", in pieces of " << piece;
}

// A gigabyte announced is refused at its header, and its bytes pass without being kept.
TEST(Framing, AGigabyteIsRefusedBeforeAnyMemoryIsTaken) {
  MessageReader reader;
  const size_t gigabyte = size_t{1} << 30;
  reader.feed("Content-Length: " + std::to_string(gigabyte) + "\r\n\r\n");
  auto refused = reader.next();
  ASSERT_TRUE(refused && refused->problem);
  EXPECT_EQ(message_name(refused->problem->id), "lsp_too_large");
  const std::string megabyte(size_t{1} << 20, 'x');
  for (size_t sent = 0; sent < gigabyte; sent += megabyte.size()) {
    reader.feed(megabyte);
    EXPECT_FALSE(reader.next());
    ASSERT_LE(reader.held(), megabyte.size()) << "after " << sent << " bytes";
  }
  reader.feed(framed("after"));
  auto after = reader.next();
  ASSERT_TRUE(after && after->message);
  EXPECT_EQ((*after->message)["method"], "after");
}

}  // namespace
}  // namespace compactor::lsp
