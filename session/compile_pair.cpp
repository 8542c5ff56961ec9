#include "session/compile_pair.h"

#include <algorithm>
#include <cstdio>
#include <system_error>

#include "compiler/faults.h"
#include "compiler/warnings.h"
#include "platform/env.h"
#include "platform/folder_store.h"
#include "platform/set_commit.h"
#include "session/diagnostic_json.h"
#include "sources/cp1252.h"
#include "sources/field_reader.h"
#include "sources/file_names.h"
#include "sources/text_bounds.h"
#include "sources/text_position.h"

namespace compactor {
namespace {

// The whole file, nullopt when it does not exist; FileError for any other failure, and for
// a file larger than any description can be (before it is read).
std::optional<std::string> read_input(const std::filesystem::path& path) {
  return read_whole_file(path, {kMostPairDescriptionBytes, MessageId::limit_description});
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
      Message reason = e.reason_message();
      if (!left_mixed) reason = Message{MessageId::earlier_set_kept, {}, {reason}};
      problem = FileProblem{e.path().string(), std::move(reason)};
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
  std::vector<Message> notes;  // what the recovery of the folder did
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
        if (ec) {
          problem = FileProblem{request_.out_dir.string(),
                                Message{MessageId::folder_cannot_create, {}, {system_reason(ec)}}};
          return;
        }
      }
      open_session();
      replace();
      held_.push_back(name);
    } catch (const FileError& e) {
      problem = FileProblem{e.path().string(), e.reason_message()};
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

// A description written in UTF-8, converted to Windows-1252 on reading. Every character
// that cannot be converted is an error (at most a few of them per file), at its place in
// the converted text.
std::string from_utf8(Description which, std::string_view text, const std::string& name,
                      std::vector<Diagnostic>& errors) {
  constexpr size_t kShown = 20;
  if (text.substr(0, 3) == "\xEF\xBB\xBF") text.remove_prefix(3);  // a byte-order mark
  std::vector<Cp1252Problem> problems;
  std::string converted = utf8_to_cp1252_listing(text, problems, kShown + 1);
  const LineIndex lines(text);
  DescriptionSources sources;
  sources.set(which, name, converted);
  for (size_t k = 0; k < problems.size() && k < kShown; ++k) {
    const Cp1252Problem& p = problems[k];
    const std::string_view bytes = text.substr(p.offset, p.length);
    std::string hex;
    for (char ch : bytes) {
      char buf[4];
      std::snprintf(buf, sizeof buf, "%02X", static_cast<unsigned char>(ch));
      hex += (hex.empty() ? "" : " ") + std::string(buf);
    }
    const TextPosition at = lines.position(p.offset, TextUnits::utf8);
    Diagnostic d;
    d.severity = Severity::error;
    d.code = "input-encoding";
    d.place = sources.place(SourcePlace{which, at.line, at.column});
    d.message = p.malformed ? msg(MessageId::enc_malformed, hex) : msg(MessageId::enc_no_cp1252, bytes, hex);
    errors.push_back(std::move(d));
  }
  if (problems.size() > kShown) {
    Diagnostic more = note(msg(MessageId::enc_more_not_shown), Place{name});
    more.code = "input-encoding";
    errors.push_back(std::move(more));
  }
  return converted;
}

Diagnostic file_error(const std::string& file, Message reason, const char* code) {
  return error_at(code, Place{file}, std::move(reason));
}

}  // namespace

std::set<std::string> warnings_off_by_default() {
  std::set<std::string> off;
  for (const WarningKind& w : all_warnings())
    if (!w.on_by_default) off.emplace(w.name);
  return off;
}

Message summary_message(int errors, int warnings, size_t files_written) {
  auto count = [](size_t n, MessageId one, MessageId many) {
    return msg(n == 1 ? one : many, std::to_string(n));
  };
  const Message warnings_part =
      warnings > 0 ? Message{MessageId::summary_and,
                             {},
                             {count(static_cast<size_t>(warnings), MessageId::count_warnings_one,
                                    MessageId::count_warnings_many)}}
                   : msg(MessageId::empty);
  const Message files =
      files_written == 0 ? msg(MessageId::nothing_written)
                         : count(files_written, MessageId::files_written_one, MessageId::files_written_many);
  if (errors == 0) return Message{MessageId::summary_compiled, {}, {warnings_part, files}};
  return Message{
      MessageId::summary_failed,
      {},
      {count(static_cast<size_t>(errors), MessageId::count_errors_one, MessageId::count_errors_many),
       warnings_part, files}};
}

std::string format_summary(int errors, int warnings, size_t files_written, Language language) {
  return render(summary_message(errors, warnings, files_written), language) + "\n";
}

CompileReport compile_pair(const CompileRequest& request) {
  CompileReport report;
  report.line_file = request.line_description.string();
  report.train_file = request.train_description.string();
  report.werror = request.werror;
  std::vector<Diagnostic>& entries = report.entries;
  auto file_problem = [&](const std::string& file, Message reason, const char* code) {
    entries.push_back(file_error(file, reason, code));
    report.file_problem = FileProblem{file, std::move(reason)};
    report.exit_status = kExitFileError;
    ++report.errors;
  };
  // The terminal text: every entry, then the summary.
  DiagnosticPrinter printer(DescriptionSources{}, request.language);
  auto render_text = [&](std::optional<Message> instead_of_files = std::nullopt) {
    const int warnings = static_cast<int>(report.warnings.size());
    for (const Diagnostic& d : entries) report.diagnostics += printer.format(d, request.werror);
    Message summary = request.werror ? summary_message(report.errors + warnings, 0, report.written.size())
                                     : summary_message(report.errors, warnings, report.written.size());
    if (instead_of_files && summary.id == MessageId::summary_failed) summary.nested[2] = *instead_of_files;
    report.diagnostics += render(summary, request.language) + "\n";
  };

  std::optional<std::string> line_text;
  std::optional<std::string> train_text;
  try {
    line_text = request.line_text ? request.line_text : read_input(request.line_description);
    train_text = request.train_text ? request.train_text : read_input(request.train_description);
  } catch (const FileError& e) {
    file_problem(e.path().string(), e.reason_message(), "file-read");
    render_text();
    return report;
  }
  // A description with more lines, or a longer line, than any can have is not compiled.
  for (const auto& [path, text] : {std::pair{&request.line_description, &line_text},
                                   std::pair{&request.train_description, &train_text}}) {
    const auto shape = *text ? description_shape_problem(**text) : std::nullopt;
    if (!shape) continue;
    entries.push_back(error_at("input-bounds",
                               Place{path->string(), shape->line, shape->column, shape->line, shape->column + 1},
                               shape->message));
    report.file_problem = FileProblem{path->string(), shape->message};
    report.exit_status = kExitFileError;
    ++report.errors;
    render_text();
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
        file_problem((request.out_dir / name).string(), msg(MessageId::output_over_input, input.string()),
                     "file-write");
        render_text();
        return report;
      }
    }
  }

  auto shown = [&](const Diagnostic& d) { return !request.disabled_warnings.contains(d.warning); };
  auto accepted = [&](const Diagnostic& d) {
    return !d.warning.empty() && request.accepted_warnings.contains(d.warning);
  };
  // A warning of the compile: shown and counted, kept as accepted, or left out.
  auto add_warning = [&](Diagnostic d) {
    if (!shown(d)) return;
    if (accepted(d)) {
      if (!request.keep_accepted) return;
      d.accepted = true;
    } else {
      if (request.warning_fixes)
        for (Fix& fix : request.warning_fixes(d.warning)) d.fixes.push_back(std::move(fix));
      report.warnings.push_back(d);
    }
    entries.push_back(std::move(d));
  };

  // The encoding: UTF-8 is converted on reading; Windows-1252 that looks like UTF-8 is a warning.
  const std::string names[2] = {request.line_description.string(), request.train_description.string()};
  std::vector<Diagnostic> encoding_errors;
  std::vector<Diagnostic> encoding_warnings;  // shown after what the recovery of the folder did
  for (auto [which, text] :
       {std::pair{Description::line, &line_text}, std::pair{Description::train, &train_text}}) {
    if (!*text) continue;
    const std::string& name = names[which == Description::line ? 0 : 1];
    if (request.utf8_input)
      **text = from_utf8(which, **text, name, encoding_errors);
    else if (auto w = utf8_input_warning(which, **text, DescriptionSources(name, **text, name, **text)))
      encoding_warnings.push_back(std::move(*w));
  }
  const DescriptionSources sources(
      names[0], line_text ? std::optional<std::string_view>(*line_text) : std::nullopt, names[1],
      train_text ? std::optional<std::string_view>(*train_text) : std::nullopt);
  printer = DiagnosticPrinter(sources, request.language);
  if (!encoding_errors.empty()) {
    for (const Diagnostic& d : encoding_errors)
      if (d.severity == Severity::error) ++report.errors;
    entries.insert(entries.end(), encoding_errors.begin(), encoding_errors.end());
    report.exit_status = kExitFileError;
    const Diagnostic& first = encoding_errors.front();
    report.file_problem = FileProblem{first.place->file, first.message};
    render_text();
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
      file_problem(request.out_dir.string(), Message{MessageId::folder_unreachable, {}, {system_reason(ec)}},
                   "file-write");
      render_text();
      return report;
    }
    if (std::filesystem::exists(out_status) && !std::filesystem::is_directory(out_status)) {
      file_problem(request.out_dir.string(), msg(MessageId::folder_not_a_folder), "file-write");
      render_text();
      return report;
    }
    try {
      if (std::filesystem::is_directory(out_status)) io.open_session();
    } catch (const FileError& e) {
      file_problem(e.path().string(), e.reason_message(), "file-write");
      render_text();
      return report;
    }
    for (const Message& note : io.notes) entries.push_back(recovery_note(note));
  }
  for (Diagnostic& w : encoding_warnings) add_warning(std::move(w));
  report.outcome = memorizza_percorso(model, request.plot ? 1 : 0, io);
  const PercorsoOutcome& outcome = report.outcome;
  const CompileDiagnostics& found = outcome.diagnostics;

  // A description that does not exist: the fault the system records (101 for the line,
  // 25 for the train) says so, and the exit status is that of a file that cannot be read.
  const Message no_such_file = system_reason(std::make_error_code(std::errc::no_such_file_or_directory));
  const bool missing_input = !line_text || !train_text;
  const bool fault_is_missing_file = !line_text || (outcome.fault_code == kFaultReading &&
                                                    outcome.fault_site.known && outcome.fault_site.line == 0);
  if (missing_input)
    report.file_problem = FileProblem{
        (line_text ? request.train_description : request.line_description).string(), no_such_file};
  // The fault, or what stands in its place.
  std::vector<Diagnostic> faults;
  if (outcome.fault_code != 0) {
    Diagnostic fault =
        fault_diagnostic(outcome.fault_code, outcome.fault_position, outcome.fault_site, found, sources);
    if (fault_is_missing_file)
      fault.message = Message{MessageId::with_reason, {}, {fault.message, no_such_file}};
    report.fault = fault;
    faults.push_back(std::move(fault));
  } else if (!outcome.sections_created) {
    Diagnostic none =
        file_error(request.line_description.string(), msg(MessageId::no_sections), "no-sections");
    faults.push_back(std::move(none));
  }
  if (missing_input && !fault_is_missing_file)
    faults.push_back(
        file_error(report.file_problem->file, Message{MessageId::fe_read, {}, {no_such_file}}, "file-read"));
  report.errors += static_cast<int>(faults.size());

  // The warnings in the order they were found, the fault where the line description
  // stopped (the train description's warnings are then found after it), the conflicts of
  // the pass and a reserved place taken.
  bool faults_placed = false;
  for (size_t i = 0; i < found.warnings.size(); ++i) {
    if (i == found.warnings_before_fault && !faults_placed) {
      entries.insert(entries.end(), faults.begin(), faults.end());
      faults_placed = true;
    }
    add_warning(found.warnings[i]);
  }
  if (!faults_placed) entries.insert(entries.end(), faults.begin(), faults.end());
  for (const Conflict& c : outcome.conflicts)
    add_warning(conflict_diagnostic(c.code, c.position, found, sources));
  if (found.warnings_dropped > 0) {
    Diagnostic more = note(msg(MessageId::warnings_dropped, std::to_string(found.warnings_dropped)));
    more.code = "warnings-dropped";
    entries.push_back(std::move(more));
  }
  if (!outcome.errore.empty()) {
    entries.push_back(errore_diagnostic(outcome.errore, model, found, sources));
    ++report.errors;
  }

  const int warnings = static_cast<int>(report.warnings.size());
  const bool failing_warnings = request.werror && warnings > 0;
  const bool faulty = outcome.fault_code != 0 || !outcome.sections_created || failing_warnings;
  report.exit_status = !outcome.errore.empty() ? kExitErrore
                       : missing_input         ? kExitFileError
                       : faulty                ? kExitCompilerFault
                                               : kExitBuilt;

  // A file that could not be written matters only when the files were wanted.
  if (outcome.errore.empty() && (!faulty || request.keep_partial)) {
    const size_t recovery_notes = io.notes.size();
    io.keep();
    for (size_t i = recovery_notes; i < io.notes.size(); ++i) entries.push_back(recovery_note(io.notes[i]));
    if (io.problem) file_problem(io.problem->file, io.problem->reason, "file-write");
  } else {
    io.drop();
  }
  report.written = io.written;
  if (request.compiled) *request.compiled = std::move(model);
  // "nothing written" would hide that the folder holds a mix of both sets until it is recovered.
  render_text(io.left_mixed ? std::optional<Message>(mixed_set_message(request.out_dir)) : std::nullopt);
  return report;
}

nlohmann::json report_json(const CompileReport& report, Language language) {
  using nlohmann::json;
  const PercorsoOutcome& outcome = report.outcome;
  json j;
  j["exit_status"] = report.exit_status;
  j["sections_created"] = outcome.sections_created;
  if (outcome.fault_code != 0) {
    json fault{{"code", outcome.fault_code},
               {"position", outcome.fault_position},
               {"meaning", render(msg(fault_message_id(outcome.fault_code)), language)},
               {"message", report.fault ? render(report.fault->message, language) : std::string()}};
    if (report.fault && report.fault->place) fault["file"] = report.fault->place->file;
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
    j["conflicts"].push_back({{"code", c.code},
                              {"position", c.position},
                              {"meaning", render(msg(fault_message_id(c.code)), language)}});
  j["warnings"] = json::array();
  for (const Diagnostic& w : report.warnings) {
    json one{{"name", w.warning}, {"message", render(w.message, language)}};
    if (w.place) {
      one["file"] = w.place->file;
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
  j["file_error"] = report.file_problem ? json{{"file", report.file_problem->file},
                                               {"reason", render(report.file_problem->reason, language)}}
                                        : json(nullptr);
  j["diagnostics"] = diagnostics_json(report.entries, language, report.werror);
  return j;
}

}  // namespace compactor
