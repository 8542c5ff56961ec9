// scenario-compile: compiles a line description and a train description with the
// program's own engine and says what is wrong and where.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <cstdio>
#include <string_view>

#include "compiler/diagnostics.h"
#include "compiler/warnings.h"
#include "platform/env.h"
#include "platform/set_commit.h"
#include "session/compile_pair.h"
#include "session/diagnostic_json.h"
#include "session/language.h"
#include "session/pack.h"

namespace {

using namespace compactor;

// What the run reports: its diagnostics on standard error, and under --json one object on
// standard output, whatever the outcome.
struct Output {
  bool json = false;
  Language language = Language::en;

  // The report's text on standard error and its object on standard output; its exit status.
  int report(const CompileReport& report) const {
    std::fputs(report.diagnostics.c_str(), stderr);
    return print_json(report.exit_status, [&] { return report_json(report, language); });
  }
  // A problem of the tool's own, "scenario-compile: error: ...".
  int refuse(int status, const char* code, Message message) const {
    const Diagnostic d = error_at(code, std::nullopt, std::move(message));
    std::fputs(("scenario-compile: " + DiagnosticPrinter({}, language).format(d)).c_str(), stderr);
    return outcome(status, {d});
  }
  // Entries without a compile (the pack's problems, a recovery): the object with them.
  int outcome(int status, std::vector<Diagnostic> entries) const {
    CompileReport r;
    r.exit_status = status;
    r.entries = std::move(entries);
    return print_json(status, [&] { return report_json(r, language); });
  }
  int print_json(int status, const std::function<nlohmann::json()>& make) const {
    if (!json) return status;
    const std::string text = json_text(make, kExitFileError) + "\n";
    const bool written =
        std::fwrite(text.data(), 1, text.size(), stdout) == text.size() && std::fflush(stdout) == 0;
    return written ? status : kExitFileError;
  }
};

int run(int argc, char** argv, Output& out) {
  CompileRequest request;
  request.language = out.language;
  bool no_plot = false;
  std::string out_dir = ".";
  std::string line_path, train_path, lang;

  CLI::App app{
      "Compiles a line description and a train description into the scenario's compiled files,\n"
      "with the same engine as the program, and reports every fault with its file, line and column.",
      "scenario-compile"};
  // A path such as /tmp/x is a file, not a Windows-style option, on every system.
  app.allow_windows_style_options(false);
  std::string footer =
      "Warnings (each on by default unless it says so; -Wno-<name> turns one off, -W<name> on):\n";
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
  app.add_flag(
      "--json", out.json,
      "print the outcome as one JSON object on standard output, with every diagnostic in \"diagnostics\"");
  app.add_option("--lang", lang,
                 "language of the messages, en or it (default: from LC_ALL, LC_MESSAGES or LANG, else en)");
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
    const int status = app.exit(e) == 0 ? kExitBuilt : kExitFileError;
    if (status == kExitBuilt) return status;  // --help, --version
    return out.outcome(status, {error_at("usage", std::nullopt, msg(MessageId::text, e.what()))});
  }

  if (recover) {
    // As a compile does, --recover takes no empty folder name for the current folder.
    if (out_dir.empty()) return out.refuse(kExitUsage, "usage", msg(MessageId::tool_no_out_folder));
    try {
      // No names given: the temporaries of any build's files, and what the journal lists.
      const FolderSession session(out_dir, {});
      std::vector<Diagnostic> notes;
      for (const Message& note : session.notes()) notes.push_back(recovery_note(note));
      if (notes.empty()) notes.push_back(recovery_note(msg(MessageId::nothing_to_recover), Place{out_dir}));
      for (const Diagnostic& n : notes)
        std::fputs(DiagnosticPrinter({}, out.language).format(n).c_str(), stderr);
      return out.outcome(kExitBuilt, notes);
    } catch (const FileError& e) {
      return out.refuse(kExitFileError, "file-write", msg(MessageId::text, printable(e.what())));
    }
  }
  if (packed) {
    std::vector<Diagnostic> problems;
    if (!pack_request(PackFiles(pack_dir), request, problems)) {
      const DiagnosticPrinter printer({}, out.language);
      for (const Diagnostic& d : problems) std::fputs(printer.format(d).c_str(), stderr);
      std::fputs(format_summary(static_cast<int>(problems.size()), 0, 0, out.language).c_str(), stderr);
      return out.outcome(kExitFileError, std::move(problems));
    }
    // Warnings are judged as the pack's build judges them: one it does not accept is an error.
    request.werror = true;
  } else {
    request.line_description = line_path;
    request.train_description = train_path;
  }
  for (const auto& [option, value] :
       {std::pair{"--line-name", &request.line_name}, std::pair{"--train-number", &request.train_number}}) {
    if (const auto problem = identity_problem_message(*value)) {
      // Quoted and escaped, so that a control character does not reach the terminal.
      const std::string shown =
          nlohmann::json(*value).dump(-1, ' ', false, nlohmann::json::error_handler_t::replace);
      return out.refuse(kExitFileError, "usage",
                        Message{MessageId::tool_bad_identity, {option, shown}, {*problem}});
    }
  }
  if (const auto problem = names_length_problem_message(request.line_name, request.train_number))
    return out.refuse(kExitFileError, "usage", Message{MessageId::tool_names_too_long, {}, {*problem}});
  for (const std::string& w : w_options) {
    const std::string name = w.rfind("no-", 0) == 0 ? w.substr(3) : w;
    if (w == "error") {
      request.werror = true;
    } else if (!is_warning_name(name)) {
      std::string names;
      for (const WarningKind& k : all_warnings()) names += (names.empty() ? "" : ", ") + std::string(k.name);
      return out.refuse(kExitFileError, "unknown-warning",
                        msg(MessageId::tool_unknown_warning, printable(w), names));
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
  return out.report(compile_pair(request));
}

}  // namespace

int main(int argc, char** argv) {
  use_binary_standard_streams();
  Output out;
  out.json = std::any_of(argv + 1, argv + argc, [](std::string_view a) { return a == "--json"; });
  const std::optional<std::string_view> lang = lang_argument(argc, argv);
  const std::optional<Language> language = tool_language(lang);
  if (!language)
    return out.refuse(kExitFileError, "usage",
                      msg(MessageId::tool_unknown_language, std::string(lang.value_or(""))));
  out.language = *language;
  // Whatever the system refuses (a path it cannot resolve, memory) ends in one line.
  try {
    return run(argc, argv, out);
  } catch (const std::exception& e) {
    return out.refuse(kExitFileError, "failure", msg(MessageId::text, e.what()));
  }
}
