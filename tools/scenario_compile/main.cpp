// scenario-compile: compiles a line description and a train description with the
// program's own engine and says what is wrong and where.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <iostream>
#include <string_view>

#include "compiler/diagnostics.h"
#include "compiler/warnings.h"
#include "platform/env.h"
#include "platform/set_commit.h"
#include "session/compile_pair.h"
#include "session/pack.h"

namespace {

int run(int argc, char** argv);

}  // namespace

int main(int argc, char** argv) {
  // Whatever the system refuses (a path it cannot resolve, memory) ends in one line.
  try {
    return run(argc, argv);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "scenario-compile: error: %s\n", e.what());
    return compactor::kExitFileError;
  }
}

namespace {

int run(int argc, char** argv) {
  using namespace compactor;
  use_binary_standard_streams();
  CompileRequest request;
  bool no_plot = false;
  bool json = false;
  std::string out_dir = ".";
  std::string line_path;
  std::string train_path;

  CLI::App app{
      "Compiles a line description and a train description into the scenario's compiled files,\n"
      "with the same engine as the program, and reports every fault with its file, line and column.",
      "scenario-compile"};
  // A path such as /tmp/x is a file, not a Windows-style option, on every system.
  app.allow_windows_style_options(false);
  std::string footer = "Warnings (each on by default unless it says so; -Wno-<name> turns one off, -W<name> on):\n";
  for (const WarningKind& w : all_warnings())
    footer += "  " + std::string(w.name) + std::string(w.name.size() < 18 ? 18 - w.name.size() : 1, ' ') +
              std::string(w.meaning) + "\n";
  footer +=
      "\nExit status: 0 compiled (warnings do not change it unless --werror); 1 a reserved place is\n"
      "taken (1250, 1251); 2 wrong use, or a description or output that cannot be read or written\n"
      "(a missing description included); 3 a compiler fault, or a warning under --werror (under\n"
      "--pack, a warning that scenario.json does not accept).";
  app.footer(footer);
  app.set_version_flag("--version", "scenario-compile " SCENARIO_COMPILE_VERSION);
  // With --pack the identity and the descriptions come from the pack.
  std::string pack_dir;
  const bool packed = std::any_of(
      argv + 1, argv + argc, [](std::string_view a) { return a == "--pack" || a.starts_with("--pack="); });
  const bool recover_only =
      std::any_of(argv + 1, argv + argc, [](std::string_view a) { return a == "--recover"; });
  auto* pack_option = app.add_option(
      "--pack", pack_dir,
      "compile a scenario pack's line.txt and train.txt with the identity and encoding of its scenario.json;\n"
      "a warning that its accepted_warnings does not list is an error, as when its program is made");
  app.add_option("--line-name", request.line_name, "line name used in file names, slot 85 and the codes")
      ->required(!packed && !recover_only)
      ->excludes(pack_option);
  app.add_option("--train-number", request.train_number,
                 "train number used in file names, slot 86 and the codes")
      ->required(!packed && !recover_only)
      ->excludes(pack_option);
  // Given twice, the last one counts, as with a compiler's -o.
  app.add_option("--out", out_dir, "folder for the compiled files (created if missing)")
      ->default_str(".")
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  bool recover = false;
  app.add_flag("--recover", recover,
               "only finish or undo a write of --out that was interrupted, and remove the temporaries "
               "killed runs left there; compiles nothing");
  app.add_flag("--no-plot", no_plot, "do not build or write <line>_linea.dat");
  app.add_flag("--keep-partial", request.keep_partial,
               "on a compiler fault, still write the compiled files as far as compiling got");
  app.add_flag("--json", json, "print the outcome as one JSON object on standard output");
  std::vector<std::string> w_options;
  app.add_option("-W", w_options, "-Wno-<name> turns the warning <name> off (names below)")
      ->type_name("no-NAME")
      ->allow_extra_args(false);
  app.add_flag("--werror", request.werror, "warnings are errors: exit status 3 and nothing written");
  std::string encoding = "windows-1252";
  app.add_option("--input-encoding", encoding,
                 "encoding of the descriptions: windows-1252 (the format's own) or utf-8 (converted on "
                 "reading; a character without a Windows-1252 byte is an error)")
      ->check(CLI::IsMember({"windows-1252", "utf-8"}))
      ->default_str("windows-1252");
  app.add_option("LINE_DESCRIPTION", line_path, "the line description (text)")
      ->required(!packed && !recover_only)
      ->excludes(pack_option);
  app.add_option("TRAIN_DESCRIPTION", train_path, "the train description (text)")
      ->required(!packed && !recover_only)
      ->excludes(pack_option);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    return app.exit(e) == 0 ? kExitBuilt : kExitFileError;
  }

  if (recover) {
    // As a compile does, --recover takes no empty folder name for the current folder.
    if (out_dir.empty()) {
      std::fputs("scenario-compile: error: --out \"\" names no folder; nothing recovered\n", stderr);
      return kExitUsage;
    }
    try {
      // No names given: the temporaries of any build's files, and what the journal lists.
      const FolderSession session(out_dir, {});
      for (const std::string& note : session.notes()) std::fprintf(stderr, "%s\n", printable(note).c_str());
      if (session.notes().empty())
        std::fprintf(stderr, "%s: nothing to recover\n", printable(out_dir).c_str());
      return kExitBuilt;
    } catch (const FileError& e) {
      std::fprintf(stderr, "scenario-compile: error: %s\n", printable(e.what()).c_str());
      return kExitFileError;
    }
  }
  if (packed) {
    std::string diagnostics;
    if (!pack_request(pack_dir, request, diagnostics)) {
      std::fputs(diagnostics.c_str(), stderr);
      std::fputs(
          format_summary(static_cast<int>(std::count(diagnostics.begin(), diagnostics.end(), '\n')), 0, 0)
              .c_str(),
          stderr);
      return kExitFileError;
    }
    // Warnings are judged as the pack's build judges them: one it does not accept is an error.
    request.werror = true;
  } else {
    request.line_description = line_path;
    request.train_description = train_path;
  }
  for (const auto& [option, value] :
       {std::pair{"--line-name", &request.line_name}, std::pair{"--train-number", &request.train_number}}) {
    if (const auto problem = identity_problem(*value)) {
      // Quoted and escaped, so that a control character does not reach the terminal.
      const std::string shown =
          nlohmann::json(*value).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
      std::fprintf(stderr, "scenario-compile: error: %s %s %s; nothing written\n", option, shown.c_str(),
                   problem->c_str());
      return kExitFileError;
    }
  }
  if (const auto problem = names_length_problem(request.line_name, request.train_number)) {
    std::fprintf(stderr, "scenario-compile: error: --line-name and --train-number %s; nothing written\n",
                 printable(*problem).c_str());
    return kExitFileError;
  }
  for (const std::string& w : w_options) {
    const std::string name = w.rfind("no-", 0) == 0 ? w.substr(3) : w;
    if (w == "error") {
      request.werror = true;
    } else if (!is_warning_name(name)) {
      std::string names;
      for (const WarningKind& k : all_warnings()) names += (names.empty() ? "" : ", ") + std::string(k.name);
      std::fprintf(stderr, "scenario-compile: error: unknown warning -W%s; the warnings are: %s\n",
                   printable(w).c_str(), names.c_str());
      return kExitFileError;
    } else if (name != w) {
      request.disabled_warnings.insert(name);
    } else {
      request.disabled_warnings.erase(name);
    }
  }
  // A pack's descriptions are already in Windows-1252, as its program writes them.
  request.utf8_input = !packed && encoding == "utf-8";
  request.out_dir = out_dir;
  request.plot = !no_plot;

  const CompileReport report = compile_pair(request);
  std::fputs(report.diagnostics.c_str(), stderr);
  if (json)
    std::cout << report_json(report).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace) << '\n';
  return report.exit_status;
}

}  // namespace
