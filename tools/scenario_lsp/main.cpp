// scenario-lsp: the language server over standard input and output. The server itself is
// lsp/; this is the loop that hands it the bytes as they come and writes back its answers.
#include <cstdio>
#include <string>
#include <string_view>

#include "lsp/server.h"
#include "platform/env.h"
#include "session/language.h"

int main(int argc, char** argv) {
  using namespace compactor;
  use_binary_standard_streams();
  const Language language = tool_language(std::nullopt).value_or(Language::en);
  for (int i = 1; i < argc; ++i) {
    const std::string_view a = argv[i];
    if (a == "--help" || a == "-h") {
      std::fputs(render(msg(MessageId::lsp_help), language).c_str(), stdout);
      return 0;
    }
    if (a == "--version") {
      std::fputs("scenario-lsp " SCENARIO_LSP_VERSION "\n", stdout);
      return 0;
    }
    if (a != "--stdio") {
      std::fprintf(stderr, "scenario-lsp: %s\n",
                   render(msg(MessageId::lsp_unknown_argument, std::string(a)), language).c_str());
      return kExitUsage;
    }
  }
  lsp::Connection connection({SCENARIO_LSP_VERSION, language});
  std::string buffer(64 * 1024, '\0');
  for (;;) {
    size_t got = 0;
    try {
      got = read_standard_input(buffer.data(), buffer.size());
    } catch (const FileError& e) {
      std::fprintf(stderr, "scenario-lsp: %s\n", e.what());
      return 1;
    }
    const std::string out = got > 0 ? connection.feed(std::string_view(buffer.data(), got)) : std::string();
    if (!out.empty() &&
        (std::fwrite(out.data(), 1, out.size(), stdout) != out.size() || std::fflush(stdout) != 0))
      return 1;  // the editor is gone
    if (const auto status = connection.exit_status()) return *status;
    if (got == 0) {
      if (const std::string problem = connection.finish(); !problem.empty())
        std::fprintf(stderr, "scenario-lsp: %s\n", problem.c_str());
      return connection.status_at_end();
    }
  }
}
