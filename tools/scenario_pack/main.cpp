// scenario-pack: one tool for scenario packs. `check` says everything that keeps a pack
// from making a program, with file, line and column; `build` makes the pack's program
// for Windows or Linux from a prebuilt runner, with no compiler.
#include <cstdio>
#include <filesystem>
#include <system_error>

#include "platform/digest.h"
#include "platform/env.h"
#include "platform/set_commit.h"
#include "session/language.h"
#include "session/pack.h"
#include "session/pack_program.h"
#include "session/tool_cli.h"
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
  const std::optional<PackManifest> manifest = read_manifest(folder, diagnostics, language);
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
    const std::optional<std::string> payload = pack_payload(folder, problem, language);
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
    return fail(e.message());
  } catch (const std::runtime_error& e) {
    return fail(msg(MessageId::text, e.what()));
  }
}

}  // namespace

int main(int argc, char** argv) {
  use_binary_standard_streams();
  const std::optional<std::string_view> lang = lang_argument(argc, argv);
  const std::optional<Language> chosen = tool_language(lang);
  // A --lang that names no language is refused in the language of the environment.
  language = chosen.value_or(*tool_language(std::nullopt));
  if (!chosen) return fail(msg(MessageId::tool_unknown_language, std::string(lang.value_or(""))));
  const auto say = [](MessageId id) { return render(msg(id), language); };
  CLI::App app{say(MessageId::help_pack_about), "scenario-pack"};
  speak(app, language);
  // A path such as /tmp/x is a file, not a Windows-style option, on every system.
  app.allow_windows_style_options(false);
  std::string lang_option;
  app.add_option("--lang", lang_option, say(MessageId::help_lang));
  app.require_subcommand(1);
  app.fallthrough();  // --lang after the subcommand too
  app.set_version_flag("--version", "scenario-pack " SCENARIO_PACK_VERSION, say(MessageId::cli_version_flag));
  app.footer(say(MessageId::help_pack_exit));
  std::string folder, out_dir, target, output, runner;
  auto* check = app.add_subcommand("check", say(MessageId::help_pack_check));
  check->add_option("--out", out_dir, say(MessageId::help_pack_check_out));
  check->add_option(say(MessageId::help_pack_arg), folder, say(MessageId::help_pack_arg_about))->required();
  auto* make = app.add_subcommand("build", say(MessageId::help_pack_build));
  make->add_option(say(MessageId::help_pack_arg), folder, say(MessageId::help_pack_arg_about))->required();
  make->add_option("--target", target, say(MessageId::help_pack_target))
      ->required()
      ->check(CLI::IsMember({"windows", "linux"}));
  make->add_option("-o,--output", output, say(MessageId::help_pack_output));
  make->add_option("--runner", runner, say(MessageId::help_pack_runner));
  name_value_types(app, language);
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
