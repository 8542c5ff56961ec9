// scenario-pack: one tool for scenario packs. `check` says everything that keeps a pack
// from making a program, with file, line and column; `build` makes the pack's program
// for Windows or Linux from a prebuilt runner, with no compiler.
#include <CLI/CLI.hpp>
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/digest.h"
#include "platform/env.h"
#include "platform/set_commit.h"
#include "session/language.h"
#include "session/pack.h"
#include "session/pack_program.h"
#include "sources/pack_payload.h"

namespace {

using namespace compactor;
namespace fs = std::filesystem;

Language language = Language::en;

std::string said(const Message& message) { return render(message, language); }

int fail(const Message& message) {
  std::fprintf(stderr, "scenario-pack: %s: %s\n", said(msg(MessageId::severity_error)).c_str(),
               said(message).c_str());
  return kExitUsage;
}

std::string display(const fs::path& path) { return FileError::display_path(path); }

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
  if (fs::is_directory(output, ec)) return fail(msg(MessageId::tool_output_is_folder, output));
  try {
    Message error;
    const std::optional<Runner> runner = find_runner(runner_path, target, error);
    if (!runner) return fail(error);
    if (const auto why = not_a_runner(runner->bytes, target))
      return fail(Message{MessageId::tool_not_a_runner, {display(runner->path), target}, {*why}});

    std::string problem;
    const std::optional<std::string> payload = pack_payload(folder, problem);
    if (!payload) return fail(msg(MessageId::text, problem));
    const std::string program = append_payload(runner->bytes, *payload, sha256(*payload));

    // The folder's one writer: a set that a killed compile left half switched there is
    // finished or put back first.
    fs::path out_folder = fs::path(output).parent_path();
    if (out_folder.empty()) out_folder = ".";
    const FolderSession session(out_folder, {fs::path(output).filename().string()});
    for (const Message& note : session.notes()) std::fprintf(stderr, "%s\n", said(note).c_str());
    const auto file = begin_replace(output, target == "linux");
    file->write(program);
    file->finish();
    file->commit();
    sync_folder(fs::path(output).parent_path());
    std::printf("%s\n", said(msg(MessageId::tool_program_made, output, target, manifest->line_name,
                                 manifest->train_number, std::to_string(program.size())))
                            .c_str());
    return std::fflush(stdout) == 0 ? 0 : kExitFileError;
  } catch (const FileError& e) {
    return fail(msg(MessageId::text, e.what()));
  } catch (const std::runtime_error& e) {
    return fail(msg(MessageId::text, e.what()));
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
  const std::optional<std::string_view> lang = lang_argument(argc, argv);
  const std::optional<Language> chosen = tool_language(lang);
  if (!chosen) return fail(msg(MessageId::tool_unknown_language, std::string(lang.value_or(""))));
  language = *chosen;
  std::string lang_option;
  app.add_option("--lang", lang_option,
                 "language of the messages, en or it (default: from LC_ALL, LC_MESSAGES or LANG, else en)");
  app.require_subcommand(1);
  app.fallthrough();  // --lang after the subcommand too
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
  // Without --out the compiled files are kept nowhere.
  PackCheckOptions options;
  options.out_dir = out_dir;
  options.language = language;
  const PackCheck result = check_pack(PackFiles(folder), options);
  std::fputs(result.diagnostics.c_str(), stderr);
  if (result.problems > 0) return 1;
  if (check->parsed()) {
    std::string unused;
    const auto manifest = read_manifest(folder, unused);
    std::printf("%s: %s\n", folder.c_str(),
                said(msg(MessageId::pack_sound, manifest->line_name, manifest->train_number)).c_str());
    return 0;
  }
  return build(folder, target, output, runner);
}
