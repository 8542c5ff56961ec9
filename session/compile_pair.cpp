#include "session/compile_pair.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <system_error>

#include "compiler/faults.h"
#include "compiler/warnings.h"
#include "platform/env.h"
#include "platform/folder_store.h"
#include "platform/set_commit.h"
#include "sources/cp1252.h"
#include "sources/field_reader.h"
#include "sources/file_names.h"
#include "sources/text_bounds.h"

namespace compactor {
namespace {

std::string plural(size_t n, const char* word) {
  return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

// The whole file, nullopt when it does not exist; FileError for any other failure, and for
// a file larger than any description can be (before it is read).
std::optional<std::string> read_input(const std::filesystem::path& path) {
  return read_whole_file(path, {kMostPairDescriptionBytes, "a description"});
}

// Reads the descriptions from the paths given and never deletes them. The compiled
// files go to temporary files in the output folder as they come, the route plot
// streamed without being held; they are renamed into place together once the outcome
// says they are wanted, and removed otherwise.
class ToolIo : public ScenarioIo {
 public:
  ToolIo(const CompileRequest& request, const std::optional<std::string>& line,
         const std::optional<std::string>& train)
      : request_(request), line_(line), train_(train), out_(request.out_dir) {}
  ~ToolIo() override { drop(); }

  std::optional<std::string> read_description(Description which) override {
    return which == Description::line ? line_ : train_;
  }
  void delete_description(Description) override {}
  std::string description_name(Description which) const override {
    return (which == Description::line ? request_.line_description : request_.train_description).string();
  }
  bool wants_train_warnings() const override { return true; }
  std::optional<double> realistic_acceleration() const override {
    if (request_.disabled_warnings.contains(std::string(kWarnTimetableRealistic))) return std::nullopt;
    return request_.acceleration;
  }
  void replace_file(const std::string& name, std::string_view bytes) override {
    write(name, [&] { sink().replace_file(name, bytes); });
  }
  void replace_file_from(const std::string& name, ByteSource& source) override {
    write(name, [&] { sink().replace_file_from(name, source); });
  }
  void begin_set() override {
    drop();
    sink().begin_set();
  }
  // The set is complete; whether it is put in place waits for the outcome.
  void commit_set() override {}
  void abandon_set() override { drop(); }
  void errore(const std::string&) override {}

  // Puts the finished set in place, all of it or none: a file that could not be written,
  // or a rename that failed, is the problem, and the earlier set stays.
  void keep() {
    if (problem) {
      drop();
      return;
    }
    try {
      sink().commit_set();
      written = held_;
      if (!request_.sink) notes.insert(notes.end(), out_.notes().begin(), out_.notes().end());
    } catch (const FileError& e) {
      // Where even putting the old files back failed, the journal stays for the next run.
      left_mixed = has_interrupted_write(request_.out_dir);
      problem = FileProblem{e.path().string(), e.reason() + (left_mixed ? "" : "; the earlier compiled set was kept")};
    }
    held_.clear();
  }
  // Removes the temporaries, and the output folder when it was made for them.
  void drop() {
    sink().abandon_set();
    held_.clear();
    if (made_folder_) {
      session_.reset();  // its lock file goes with it
      std::error_code ec;
      std::filesystem::remove(request_.out_dir, ec);  // only when empty
      made_folder_ = false;
    }
  }
  // Takes the output folder for this run (waiting for another run to finish) and
  // finishes or undoes an interrupted earlier write there. Throws FileError.
  void open_session() {
    if (session_) return;
    session_.emplace(request_.out_dir, compiled_file_names(request_.line_name, request_.train_number));
    notes = session_->notes();
  }

  std::vector<std::string> written;
  std::vector<std::string> notes;  // what the recovery of the folder did
  // The first file that could not be written; nothing is written after it.
  std::optional<FileProblem> problem;
  bool left_mixed = false;  // the earlier set could not be put back: the journal stays

 private:
  template <typename Replace>
  void write(const std::string& name, Replace replace) {
    if (problem) return;
    try {
      std::error_code ec;
      if (request_.sink) {
        replace();
        held_.push_back(name);
        return;
      }
      if (held_.empty() && !std::filesystem::is_directory(request_.out_dir, ec)) {
        made_folder_ = std::filesystem::create_directories(request_.out_dir, ec);
        if (ec) throw FileError(request_.out_dir, "cannot create the folder: " + ec.message());
      }
      open_session();
      replace();
      held_.push_back(name);
    } catch (const FileError& e) {
      problem = FileProblem{e.path().string(), e.reason()};
    }
  }

  FileSink& sink() { return request_.sink ? *request_.sink : out_; }

  const CompileRequest& request_;
  const std::optional<std::string>& line_;
  const std::optional<std::string>& train_;
  std::optional<FolderSession> session_;
  FolderStore out_;
  std::vector<std::string> held_;  // finished temporaries, in the order they were written
  bool made_folder_ = false;
};

// Where a byte offset of a UTF-8 text stands: its line, and its column in characters.
SourcePlace utf8_place(Description which, std::string_view text, size_t offset) {
  int line = 1;
  int column = 1;
  for (size_t i = 0; i < offset && i < text.size(); ++i) {
    const auto b = static_cast<unsigned char>(text[i]);
    if (b == '\n' || (b == '\r' && (i + 1 >= text.size() || text[i + 1] != '\n'))) {
      ++line;
      column = 1;
    } else if (b != '\r' && (b & 0xC0) != 0x80) {
      ++column;
    }
  }
  return SourcePlace{which, line, column};
}

// A description written in UTF-8, converted to Windows-1252 on reading. Every character
// that cannot be converted is an error (at most a few of them per file).
std::string from_utf8(Description which, std::string_view text, std::vector<Diagnostic>& errors) {
  constexpr size_t kShown = 20;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // a byte-order mark
  std::vector<Cp1252Problem> problems;
  std::string converted = utf8_to_cp1252_listing(text, problems, kShown + 1);
  for (size_t k = 0; k < problems.size() && k < kShown; ++k) {
    const Cp1252Problem& p = problems[k];
    const std::string_view bytes = text.substr(p.offset, p.length);
    std::string hex;
    for (char ch : bytes) {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%02X", static_cast<unsigned char>(ch));
      hex += (hex.empty() ? "" : " ") + std::string(buf);
    }
    errors.push_back(Diagnostic{
        Severity::error,
        utf8_place(which, text, p.offset),
        p.malformed ? "malformed UTF-8 (byte " + hex + "); the file is read as UTF-8 (--input-encoding utf-8)"
                    : "the character '" + std::string(bytes) + "' (" + hex +
                          ") has no Windows-1252 byte; the compiled files hold Windows-1252 only",
        "",
        {}});
  }
  if (problems.size() > kShown)
    errors.push_back(Diagnostic{Severity::note,
                                SourcePlace{which, 0, 0},
                                "further characters that cannot be converted are not shown",
                                "",
                                {}});
  return converted;
}

}  // namespace

std::set<std::string> warnings_off_by_default() {
  std::set<std::string> off;
  for (const WarningKind& w : all_warnings())
    if (!w.on_by_default) off.emplace(w.name);
  return off;
}

std::string format_summary(int errors, int warnings, size_t files_written) {
  std::string out = errors == 0 ? "compiled" : plural(static_cast<size_t>(errors), "error");
  if (warnings > 0) out += ", " + plural(static_cast<size_t>(warnings), "warning");
  out += errors == 0 ? ": " : "; ";
  out += files_written == 0 ? "nothing written" : plural(files_written, "file") + " written";
  return out + "\n";
}

CompileReport compile_pair(const CompileRequest& request) {
  CompileReport report;
  report.line_file = request.line_description.string();
  report.train_file = request.train_description.string();
  int errors = 0;
  auto file_problem = [&](const std::string& file, const std::string& reason) {
    report.file_problem = FileProblem{file, reason};
    report.exit_status = kExitFileError;
    report.diagnostics += printable(file) + ": error: " + reason + "\n";
    ++errors;
  };

  std::optional<std::string> line_text;
  std::optional<std::string> train_text;
  try {
    line_text = request.line_text ? request.line_text : read_input(request.line_description);
    train_text = request.train_text ? request.train_text : read_input(request.train_description);
  } catch (const FileError& e) {
    file_problem(e.path().string(), e.reason());
    report.diagnostics += format_summary(errors, 0, 0);
    return report;
  }
  // A description with more lines, or a longer line, than any can have is not compiled.
  for (const auto& [path, text] : {std::pair{&request.line_description, &line_text},
                                   std::pair{&request.train_description, &train_text}}) {
    const auto shape = *text ? description_shape_problem(**text) : std::nullopt;
    if (!shape) continue;
    file_problem(path->string() + ":" + std::to_string(shape->line) + ":" + std::to_string(shape->column),
                 shape->message);
    report.file_problem->file = path->string();
    report.diagnostics += format_summary(errors, 0, 0);
    return report;
  }
  // An output must never replace one of the descriptions.
  std::vector<std::string> outputs{slot_table_name(request.line_name, request.train_number),
                                   section_array_name(request.line_name, request.train_number)};
  if (request.plot) outputs.push_back(route_plot_name(request.line_name));
  for (const std::string& name : request.sink ? std::vector<std::string>{} : outputs) {
    for (const auto& input : {request.line_description, request.train_description}) {
      std::error_code ec;
      if (std::filesystem::equivalent(request.out_dir / name, input, ec)) {
        file_problem((request.out_dir / name).string(),
                     "the output would replace the description " + input.string());
        report.diagnostics += format_summary(errors, 0, 0);
        return report;
      }
    }
  }

  auto shown = [&](const Diagnostic& d) { return !request.disabled_warnings.contains(d.warning); };
  auto add_warning = [&](Diagnostic d) {
    if (shown(d)) report.warnings.push_back(std::move(d));
  };

  // The encoding: UTF-8 is converted on reading; Windows-1252 that looks like UTF-8 is a warning.
  std::vector<Diagnostic> encoding_errors;
  for (auto [which, text] :
       {std::pair{Description::line, &line_text}, std::pair{Description::train, &train_text}}) {
    if (!*text) continue;
    if (request.utf8_input)
      **text = from_utf8(which, **text, encoding_errors);
    else if (auto w = utf8_input_warning(which, **text))
      add_warning(std::move(*w));
  }
  const DiagnosticPrinter printer(request.line_description.string(),
                                  line_text ? std::optional<std::string_view>(*line_text) : std::nullopt,
                                  request.train_description.string(),
                                  train_text ? std::optional<std::string_view>(*train_text) : std::nullopt);
  if (!encoding_errors.empty()) {
    for (const Diagnostic& d : encoding_errors) {
      report.diagnostics += printer.format(d);
      if (d.severity == Severity::error) ++errors;
    }
    report.exit_status = kExitFileError;
    const Diagnostic& first = encoding_errors.front();
    report.file_problem = FileProblem{printer.name(first.place->description), first.message};
    report.diagnostics += format_summary(errors, 0, 0);
    return report;
  }

  TrackModel model;
  model.line_name = request.line_name;
  model.train_number = request.train_number;
  ToolIo io(request, line_text, train_text);
  // An existing output folder is taken and recovered before anything else; a new one
  // when it is made.
  if (!request.sink) {
    std::error_code ec;
    const auto out_status = std::filesystem::status(request.out_dir, ec);
    if (ec && ec != std::errc::no_such_file_or_directory) {
      file_problem(request.out_dir.string(), "cannot reach the folder: " + ec.message());
      report.diagnostics += format_summary(errors, 0, 0);
      return report;
    }
    if (std::filesystem::exists(out_status) && !std::filesystem::is_directory(out_status)) {
      file_problem(request.out_dir.string(), "cannot write the compiled files here: not a folder");
      report.diagnostics += format_summary(errors, 0, 0);
      return report;
    }
    try {
      if (std::filesystem::is_directory(out_status)) io.open_session();
    } catch (const FileError& e) {
      file_problem(e.path().string(), e.reason());
      report.diagnostics += format_summary(errors, 0, 0);
      return report;
    }
    for (const std::string& note : io.notes) report.diagnostics += printable(note) + "\n";
  }
  report.outcome = memorizza_percorso(model, request.plot ? 1 : 0, io);
  const PercorsoOutcome& outcome = report.outcome;
  const CompileDiagnostics& found = outcome.diagnostics;
  // The compile's warnings, split where the fault stopped the line description (the train
  // description's warnings are then found after it).
  size_t before_fault = report.warnings.size();  // the encoding's warnings come first
  for (size_t i = 0; i < found.warnings.size(); ++i) {
    if (!shown(found.warnings[i])) continue;
    report.warnings.push_back(found.warnings[i]);
    if (i < found.warnings_before_fault) before_fault = report.warnings.size();
  }

  // The warnings in the order they were found, then the fault, the conflicts of the pass
  // and a reserved place taken.
  std::string faults;
  // A description that does not exist: the fault the system records (101 for the line,
  // 25 for the train) says so, and the exit status is that of a file that cannot be read.
  const std::string no_such_file = std::generic_category().message(ENOENT);
  const bool missing_input = !line_text || !train_text;
  const bool fault_is_missing_file = !line_text || (outcome.fault_code == kFaultReading &&
                                                    outcome.fault_site.known && outcome.fault_site.line == 0);
  if (missing_input)
    report.file_problem = FileProblem{
        (line_text ? request.train_description : request.line_description).string(), no_such_file};
  if (outcome.fault_code != 0) {
    Diagnostic fault =
        fault_diagnostic(outcome.fault_code, outcome.fault_position, outcome.fault_site, found);
    if (fault_is_missing_file) fault.message += ": " + no_such_file;
    if (fault.place) report.fault_file = printer.name(fault.place->description);
    report.fault_message = fault.message;
    faults += printer.format(fault);
    ++errors;
  } else if (!outcome.sections_created) {
    faults += printable(request.line_description.string()) +
              ": error: nothing compiled: the line description gave no section array\n";
    ++errors;
  }
  if (missing_input && !fault_is_missing_file) {
    faults += printable(report.file_problem->file) + ": error: cannot read: " + no_such_file + "\n";
    ++errors;
  }
  for (const Conflict& c : outcome.conflicts) add_warning(conflict_diagnostic(c.code, c.position, found));
  if (!outcome.errore.empty()) ++errors;

  const int warnings = static_cast<int>(report.warnings.size());
  const bool failing_warnings = request.werror && warnings > 0;
  std::string text;
  // Warnings found before the fault come before it; the rest and the conflicts of the pass after it.
  for (size_t i = 0; i < report.warnings.size(); ++i) {
    if (i == before_fault) text += faults;
    text += printer.format(report.warnings[i], request.werror);
  }
  if (before_fault >= report.warnings.size()) text += faults;
  if (found.warnings_dropped > 0)
    text += "note: " + std::to_string(found.warnings_dropped) + " more warnings not shown\n";
  if (!outcome.errore.empty()) text += printer.format(errore_diagnostic(outcome.errore, model, found));
  report.diagnostics += text;

  const bool faulty = outcome.fault_code != 0 || !outcome.sections_created || failing_warnings;
  report.exit_status = !outcome.errore.empty() ? kExitErrore
                       : missing_input         ? kExitFileError
                       : faulty                ? kExitCompilerFault
                                               : kExitBuilt;

  // A file that could not be written matters only when the files were wanted.
  if (outcome.errore.empty() && (!faulty || request.keep_partial)) {
    const size_t recovery_notes = io.notes.size();
    io.keep();
    for (size_t i = recovery_notes; i < io.notes.size(); ++i) report.diagnostics += printable(io.notes[i]) + "\n";
    if (io.problem) file_problem(io.problem->file, io.problem->reason);
  } else {
    io.drop();
  }
  report.written = io.written;
  if (request.compiled) *request.compiled = std::move(model);
  std::string summary = request.werror ? format_summary(errors + warnings, 0, report.written.size())
                                        : format_summary(errors, warnings, report.written.size());
  // "nothing written" would hide that the folder holds a mix of both sets until it is recovered.
  if (io.left_mixed) summary = summary.substr(0, summary.rfind("; ") + 2) + mixed_set_text(request.out_dir) + "\n";
  report.diagnostics += summary;
  return report;
}

nlohmann::json report_json(const CompileReport& report) {
  using nlohmann::json;
  const PercorsoOutcome& outcome = report.outcome;
  json j;
  j["exit_status"] = report.exit_status;
  j["sections_created"] = outcome.sections_created;
  if (outcome.fault_code != 0) {
    json fault{{"code", outcome.fault_code},
               {"position", outcome.fault_position},
               {"meaning", std::string(fault_meaning(outcome.fault_code))},
               {"message", report.fault_message}};
    if (!report.fault_file.empty()) fault["file"] = report.fault_file;
    if (outcome.fault_site.known && outcome.fault_site.line > 0) {
      fault["line"] = outcome.fault_site.line;
      fault["column"] = outcome.fault_site.column;
    }
    j["fault"] = fault;
  } else {
    j["fault"] = nullptr;
  }
  j["conflicts"] = json::array();
  for (const Conflict& c : outcome.conflicts)
    j["conflicts"].push_back(
        {{"code", c.code}, {"position", c.position}, {"meaning", std::string(fault_meaning(c.code))}});
  j["warnings"] = json::array();
  for (const Diagnostic& w : report.warnings) {
    json one{{"name", w.warning}, {"message", w.message}};
    if (w.place) {
      one["file"] = w.place->description == Description::line ? report.line_file : report.train_file;
      if (w.place->line > 0) {
        one["line"] = w.place->line;
        one["column"] = w.place->column;
      }
    }
    j["warnings"].push_back(one);
  }
  j["error"] = outcome.errore.empty() ? json(nullptr) : json(outcome.errore);
  j["files"] = report.written;
  if (outcome.plain_code && outcome.weighted_code)
    j["codes"] = {{"plain", *outcome.plain_code}, {"weighted", *outcome.weighted_code}};
  else
    j["codes"] = nullptr;
  j["file_error"] = report.file_problem
                        ? json{{"file", report.file_problem->file}, {"reason", report.file_problem->reason}}
                        : json(nullptr);
  return j;
}

}  // namespace compactor
