// Golden transcripts: framed requests in, framed responses out, for every capability of the
// server and for bad input. Each testdata/*.in.jsonl holds one message a line (a line
// "RAW <JSON string>" holds bytes as they are sent, framing included); the messages are fed
// one by one, as an editor sends them, and what comes back is held to *.out.jsonl, one
// message a line, with the test data's folder written ${DATA}. LSP_UPDATE_GOLDEN=1 writes
// the expected files again.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "lsp/server.h"
#include "lsp/text.h"

namespace compactor::lsp {
namespace {

using nlohmann::json;

const std::filesystem::path kData = LSP_TESTDATA;

void replace_all(std::string& text, std::string_view from, std::string_view to) {
  for (size_t at = text.find(from); at != std::string::npos; at = text.find(from, at + to.size()))
    text.replace(at, from.size(), to);
}

// The messages framed in the output, each on a line of its own; throws on bad framing.
std::string unframe(std::string_view out) {
  MessageReader reader;
  reader.feed(out);
  std::string lines;
  while (auto in = reader.next()) {
    if (!in->message) throw std::runtime_error("the server framed a message badly");
    lines += in->message->dump() + "\n";
  }
  if (reader.held() > 0) throw std::runtime_error("the output ends inside a message");
  return lines;
}

// Runs a transcript through a connection and gives the output as the golden file holds it.
std::string run(const std::filesystem::path& input) {
  std::ifstream in(input, std::ios::binary);
  const std::string data_uri = uri_of_path(kData);
  const std::string data_path = kData.string();
  Connection connection({"test", Language::en});
  std::string output;
  std::string line;
  while (std::getline(in, line)) {
    if (line.empty() || line.starts_with("#")) continue;
    replace_all(line, "${DATA}", data_uri);
    std::string bytes =
        line.starts_with("RAW ") ? json::parse(line.substr(4)).get<std::string>() : frame(json::parse(line));
    output += unframe(connection.feed(bytes));
    if (connection.exit_status()) break;
  }
  const std::string problem = connection.finish();
  if (!problem.empty()) output += "at the end: " + problem + "\n";
  output += "exit " + std::to_string(connection.exit_status().value_or(connection.status_at_end())) + "\n";
  replace_all(output, data_uri, "${DATA}");
  replace_all(output, data_path, "${DATA}");
  return output;
}

class Transcript : public ::testing::TestWithParam<std::string> {};

TEST_P(Transcript, AnswersAsTheGoldenFileSays) {
  const std::filesystem::path input = kData / (GetParam() + ".in.jsonl");
  const std::filesystem::path golden = kData / (GetParam() + ".out.jsonl");
  const std::string output = run(input);
  if (std::getenv("LSP_UPDATE_GOLDEN")) std::ofstream(golden, std::ios::binary) << output;
  std::ifstream expected(golden, std::ios::binary);
  ASSERT_TRUE(expected) << golden;
  std::stringstream text;
  text << expected.rdbuf();
  EXPECT_EQ(output, text.str()) << "LSP_UPDATE_GOLDEN=1 writes " << golden << " again";
}

INSTANTIATE_TEST_SUITE_P(Lsp, Transcript, ::testing::Values("pack", "program_names", "alone", "bad_input"),
                         [](const auto& info) { return info.param; });

// A document of 50 MB is kept by its size with a diagnostic that says so; the documents open
// beside it are not lost, and answer as before.
TEST(Server, AFiftyMegabyteDocumentGetsADiagnosticAndLosesNoOtherDocument) {
  Server server({"test", Language::en});
  server.handle({{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", json::object()}});
  auto open = [&](const std::string& uri, std::string text) {
    server.handle(
        {{"jsonrpc", "2.0"},
         {"method", "textDocument/didOpen"},
         {"params",
          {{"textDocument",
            {{"uri", uri}, {"languageId", "scenario-train"}, {"version", 1}, {"text", std::move(text)}}}}}});
  };
  open("untitled:small", "[generale]\r\nnumero vetture, 3\r\n[fine]\r\n");
  open("untitled:huge", std::string(50u << 20, 'x'));
  std::map<std::string, json> published;
  for (const json& m : server.idle()) published[m["params"]["uri"]] = m["params"]["diagnostics"];
  ASSERT_EQ(published["untitled:huge"].size(), 1u);
  EXPECT_EQ(published["untitled:huge"][0]["code"], "input-bounds");
  for (const json& d : published["untitled:small"]) EXPECT_NE(d["code"], "input-bounds");
  const auto hover = server.handle(
      {{"jsonrpc", "2.0"},
       {"id", 2},
       {"method", "textDocument/hover"},
       {"params",
        {{"textDocument", {{"uri", "untitled:small"}}}, {"position", {{"line", 1}, {"character", 2}}}}}});
  ASSERT_EQ(hover.size(), 1u);
  EXPECT_TRUE(hover[0]["result"]["contents"]["value"].get<std::string>().starts_with("numero vetture"))
      << hover[0];
}

}  // namespace
}  // namespace compactor::lsp
