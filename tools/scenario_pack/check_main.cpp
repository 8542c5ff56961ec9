// scenario-pack-check: the check a build runs on a scenario pack before it makes the
// pack's program. Says everything that keeps the pack from building, with file, line
// and column, and nothing when the pack is sound.
#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <system_error>

#include "platform/env.h"
#include "tools/scenario_pack/pack.h"

int main(int argc, char** argv) {
  using namespace compactor;
  std::string folder;
  std::string out_dir;
  CLI::App app{
      "Checks a scenario pack the way the build does before it makes the pack's program: the\n"
      "manifest, the encoding of every text, the line tables, and the descriptions compiled with\n"
      "every warning that scenario.json does not accept counted as a problem.",
      "scenario-pack-check"};
  // A path such as /tmp/x is a file, not a Windows-style option, on every system.
  app.allow_windows_style_options(false);
  use_binary_standard_streams();
  app.footer("Exit status: 0 the pack is sound; 1 it is not; 2 wrong use.");
  app.add_option("--out", out_dir, "keep the compiled files in this folder (by default they are not kept)");
  app.add_option("PACK", folder, "the pack's folder")->required();
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : 2;
  }
  std::filesystem::path out = out_dir;
  std::filesystem::path scratch;
  if (out_dir.empty()) {
    std::error_code ec;
    scratch = std::filesystem::temp_directory_path(ec) /
              ("scenario-pack-check-" + std::to_string(std::hash<std::string>{}(folder)) + "-" +
               std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    out = scratch;
  }
  const PackCheck check = check_pack(folder, out);
  if (!scratch.empty()) {
    std::error_code ec;
    std::filesystem::remove_all(scratch, ec);
  }
  std::fputs(check.diagnostics.c_str(), stderr);
  return check.problems == 0 ? 0 : 1;
}
