// scenario-compile: compiles a line description and a train description with the
// program's own engine and says what is wrong and where.
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
#include "session/tool_cli.h"

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

  const auto say = [&](MessageId id) { return render(msg(id), out.language); };
  CLI::App app{say(MessageId::help_compile_about), "scenario-compile"};
  speak(app, out.language);
  // A path such as /tmp/x is a file, not a Windows-style option, on every system.
  app.allow_windows_style_options(false);
  std::string footer = say(MessageId::help_compile_warnings) + "\n";
  for (const WarningKind& w : all_warnings())
    footer += "  " + std::string(w.name) + std::string(w.name.size() < 18 ? 18 - w.name.size() : 1, ' ') +
              say(w.meaning) + "\n";
  footer += "\n" + say(MessageId::help_compile_exit);
  app.footer(footer);
  app.set_version_flag("--version", "scenario-compile " SCENARIO_COMPILE_VERSION,
                       say(MessageId::cli_version_flag));
  // With --pack the identity and the descriptions come from the pack.
  std::string pack_dir;
  const bool packed = std::any_of(
      argv + 1, argv + argc, [](std::string_view a) { return a == "--pack" || a.starts_with("--pack="); });
  const bool recover_only =
      std::any_of(argv + 1, argv + argc, [](std::string_view a) { return a == "--recover"; });
  auto* pack_option = app.add_option("--pack", pack_dir, say(MessageId::help_compile_pack));
  app.add_option("--line-name", request.line_name, say(MessageId::help_compile_line_name))
      ->required(!packed && !recover_only)
      ->excludes(pack_option);
  app.add_option("--train-number", request.train_number, say(MessageId::help_compile_train_number))
      ->required(!packed && !recover_only)
      ->excludes(pack_option);
  // Given twice, the last one counts, as with a compiler's -o.
  app.add_option("--out", out_dir, say(MessageId::help_compile_out))
      ->default_str(".")
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  bool recover = false;
  app.add_flag("--recover", recover, say(MessageId::help_compile_recover));
  app.add_flag("--no-plot", no_plot, say(MessageId::help_compile_no_plot));
  app.add_flag("--keep-partial", request.keep_partial, say(MessageId::help_compile_keep_partial));
  app.add_flag("--json", out.json, say(MessageId::help_compile_json));
  app.add_option("--lang", lang, say(MessageId::help_lang));
  std::vector<std::string> w_options;
  app.add_option("-W", w_options, say(MessageId::help_compile_w))
      ->type_name(say(MessageId::help_compile_w_type))
      ->allow_extra_args(false);
  app.add_flag("--werror", request.werror, say(MessageId::help_compile_werror));
  std::string encoding = "windows-1252";
  app.add_option("--input-encoding", encoding, say(MessageId::help_compile_encoding))
      ->check(CLI::IsMember({"windows-1252", "utf-8"}))
      ->default_str("windows-1252");
  app.add_option(say(MessageId::help_compile_line_arg), line_path,
                 say(MessageId::help_compile_line_arg_about))
      ->required(!packed && !recover_only)
      ->excludes(pack_option);
  app.add_option(say(MessageId::help_compile_train_arg), train_path,
                 say(MessageId::help_compile_train_arg_about))
      ->required(!packed && !recover_only)
      ->excludes(pack_option);
  name_value_types(app, out.language);
  try {
    app.parse(argc, argv);
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e) == 0 ? kExitBuilt : kExitFileError;
    if (status == kExitBuilt) return status;  // --help, --version
    return out.outcome(status, {error_at("usage", std::nullopt, parse_error_message(e))});
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
      // Escaped, so that a control character of the path does not reach the terminal.
      return out.refuse(
          kExitFileError, "file-write",
          Message{
              MessageId::file_reason, {printable(FileError::display_path(e.path()))}, {e.reason_message()}});
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
  // A --lang that names no language is refused in the language of the environment.
  out.language = language.value_or(*tool_language(std::nullopt));
  if (!language)
    return out.refuse(kExitFileError, "usage",
                      msg(MessageId::tool_unknown_language, std::string(lang.value_or(""))));
  // Whatever the system refuses (a path it cannot resolve, memory) ends in one line.
  try {
    return run(argc, argv, out);
  } catch (const std::exception& e) {
    return out.refuse(kExitFileError, "failure", msg(MessageId::text, e.what()));
  }
}
