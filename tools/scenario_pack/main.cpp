// scenario-pack: one tool for scenario packs. `check` says everything that keeps a pack
// from making a program, with file, line and column; `build` makes the pack's program
// for Windows or Linux from a prebuilt runner, with no compiler.
#include <CLI/CLI.hpp>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <functional>
#include <system_error>

#include "platform/digest.h"
#include "platform/env.h"
#include "platform/set_commit.h"
#include "sources/pack_payload.h"
#include "session/pack.h"

namespace {

using namespace compactor;
namespace fs = std::filesystem;

int fail(const std::string& line) {
  std::fprintf(stderr, "scenario-pack: error: %s\n", line.c_str());
  return kExitUsage;
}

// The check, with the compiled files in out_dir, or in a scratch folder removed after it.
PackCheck checked(const std::string& folder, const std::string& out_dir) {
  fs::path out = out_dir;
  fs::path scratch;
  if (out_dir.empty()) {
    std::error_code ec;
    scratch = fs::temp_directory_path(ec) /
              ("scenario-pack-" + std::to_string(std::hash<std::string>{}(folder)) + "-" +
               std::to_string(std::chrono::steady_clock::now().time_since_epoch().count()));
    out = scratch;
  }
  PackCheck check = check_pack(folder, out);
  if (!scratch.empty()) {
    std::error_code ec;
    fs::remove_all(scratch, ec);
  }
  return check;
}

std::string display(const fs::path& path) { return FileError::display_path(path); }

// The runner for target: the one given, or the first of the places it ships in. Its
// bytes, or an error naming every place looked.
struct Runner {
  fs::path path;
  std::string bytes;
};
std::optional<Runner> find_runner(const std::string& given, const std::string& target, std::string& error) {
  const std::string name = target == "windows" ? "scenario-runner-windows.exe" : "scenario-runner-linux";
  std::vector<fs::path> places;
  if (!given.empty()) {
    places.push_back(given);
  } else {
    const fs::path beside = program_folder();
    places = {beside / name, beside.parent_path() / "lib" / "scenario-compactor" / name};
  }
  for (const fs::path& place : places) {
    std::error_code ec;
    if (!fs::is_regular_file(place, ec)) continue;
    std::optional<std::string> bytes = read_whole_file(place, {kMostRunnerBytes, "a runner"});
    if (bytes) return Runner{place, std::move(*bytes)};
  }
  error = "no runner for " + target + "; looked for";
  for (size_t i = 0; i < places.size(); ++i) error += (i == 0 ? " " : ", ") + display(places[i]);
  return std::nullopt;
}

// Why the file is not a runner for target, or nullopt when it is one.
std::optional<std::string> not_a_runner(const std::string& bytes, const std::string& target) {
  const bool windows = target == "windows";
  if (!bytes.starts_with(windows ? "MZ" : "\x7f" "ELF"))
    return std::string("it is not a ") + (windows ? "Windows program" : "Linux program (ELF)");
  if (!carries_runner_mark(bytes)) return "it is a program, but not the scenario runner";
  if (find_payload(bytes).result != PayloadSearch::Result::none)
    return "it carries a scenario already: give the bare runner";
  return std::nullopt;
}

int build(const std::string& folder, const std::string& target, std::string output, const std::string& runner_path) {
  std::string diagnostics;
  const std::optional<PackManifest> manifest = read_manifest(folder, diagnostics);
  if (!manifest) {
    std::fputs(diagnostics.c_str(), stderr);
    return 1;
  }
  if (output.empty())
    output = manifest->line_name + "_" + manifest->train_number + (target == "windows" ? ".exe" : "");
  std::error_code ec;
  if (fs::is_directory(output, ec))
    return fail(output + " is a folder; -o names the program's file");
  try {
    std::string error;
    const std::optional<Runner> runner = find_runner(runner_path, target, error);
    if (!runner) return fail(error);
    if (const auto why = not_a_runner(runner->bytes, target))
      return fail(display(runner->path) + " is not a runner for " + target + ": " + *why);

    std::string problem;
    const std::optional<std::string> payload = pack_payload(folder, problem);
    if (!payload) return fail(problem);
    const std::string program = append_payload(runner->bytes, *payload, sha256(*payload));

    // The folder's one writer: a set that a killed compile left half switched there is
    // finished or put back first.
    fs::path out_folder = fs::path(output).parent_path();
    if (out_folder.empty()) out_folder = ".";
    const FolderSession session(out_folder, {fs::path(output).filename().string()});
    for (const std::string& note : session.notes()) std::fprintf(stderr, "%s\n", note.c_str());
    const auto file = begin_replace(output, target == "linux");
    file->write(program);
    file->finish();
    file->commit();
    sync_folder(fs::path(output).parent_path());
    std::printf("%s: the %s program of %s / %s (%zu bytes)\n", output.c_str(), target.c_str(),
                manifest->line_name.c_str(), manifest->train_number.c_str(), program.size());
    return std::fflush(stdout) == 0 ? 0 : kExitFileError;
  } catch (const FileError& e) {
    return fail(e.what());
  } catch (const std::runtime_error& e) {
    return fail(e.what());
  }
}

}  // namespace

int main(int argc, char** argv) {
  CLI::App app{
      "Scenario packs: checks a pack, and makes its program for a driver from a prebuilt runner.",
      "scenario-pack"};
  // A path such as /tmp/x is a file, not a Windows-style option, on every system.
  app.allow_windows_style_options(false);
  use_binary_standard_streams();
  app.require_subcommand(1);
  app.set_version_flag("--version", "scenario-pack " SCENARIO_PACK_VERSION);
  app.footer(
      "Exit status: 0 the pack is sound (check) or its program made (build); 1 the pack is not\n"
      "sound; 2 wrong use, no runner, or a file that cannot be read or written.");
  std::string folder, out_dir, target, output, runner;
  auto* check = app.add_subcommand(
      "check",
      "Checks the pack as build does: the manifest, the encoding of every text, the line tables, and\n"
      "the descriptions compiled with every warning that scenario.json does not accept counted as a problem.");
  check->add_option("--out", out_dir, "keep the compiled files in this folder (by default they are not kept)");
  check->add_option("PACK", folder, "the pack's folder")->required();
  auto* make = app.add_subcommand(
      "build",
      "Checks the pack, then writes its program: a copy of the runner for the target with the pack\n"
      "appended, <line>_<train>.exe (windows) or <line>_<train> (linux). Nothing is compiled.");
  make->add_option("PACK", folder, "the pack's folder")->required();
  make->add_option("--target", target, "the system the program is for")
      ->required()
      ->check(CLI::IsMember({"windows", "linux"}));
  make->add_option("-o,--output", output, "the program's file (default: <line>_<train>[.exe] here)");
  make->add_option("--runner", runner,
                   "the runner to copy (default: scenario-runner-windows.exe or scenario-runner-linux beside\n"
                   "this tool, or in ../lib/scenario-compactor/)");
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? 0 : kExitUsage;
  }
  const PackCheck result = checked(folder, out_dir);
  std::fputs(result.diagnostics.c_str(), stderr);
  if (result.problems > 0) return 1;
  if (check->parsed()) {
    std::string unused;
    const auto manifest = read_manifest(folder, unused);
    std::printf("%s: the pack is sound: %s / %s\n", folder.c_str(), manifest->line_name.c_str(),
                manifest->train_number.c_str());
    return 0;
  }
  return build(folder, target, output, runner);
}
