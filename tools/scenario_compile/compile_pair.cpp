#include "tools/scenario_compile/compile_pair.h"

#include <cerrno>
#include <system_error>

#include "compiler/faults.h"
#include "platform/env.h"
#include "platform/folder_store.h"
#include "sources/cp1252.h"
#include "sources/field_reader.h"
#include "sources/file_names.h"
#include "sources/memory_sink.h"

namespace compactor {
namespace {

std::string plural(size_t n, const char* word) {
  return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

// The whole file, nullopt when it does not exist; FileError for any other failure.
std::optional<std::string> read_input(const std::filesystem::path& path) {
  return FolderStore(path.parent_path()).read_file(path.filename().string());
}

// Reads the descriptions from the paths given and never deletes them. A compiled file
// is written into the output folder as soon as it is known to be wanted, and kept in
// memory while that depends on the outcome.
class ToolIo : public ScenarioIo {
 public:
  ToolIo(const CompileRequest& request, const TrackModel& model, const std::optional<std::string>& line,
         const std::optional<std::string>& train)
      : request_(request), model_(model), line_(line), train_(train), out_(request.out_dir) {}

  std::optional<std::string> read_description(Description which) override {
    return which == Description::line ? line_ : train_;
  }
  void delete_description(Description) override {}
  std::string description_name(Description which) const override {
    return (which == Description::line ? request_.line_description : request_.train_description).string();
  }
  // Files come only after both reserved-place checks have passed. error_code still 0
  // then means no compiler fault and no conflict of the pass (the pass never clears it):
  // the file is wanted whatever the options, and goes out at once without a copy (the
  // route plot of a long line is tens of megabytes).
  void replace_file(const std::string& name, std::string_view bytes) override {
    if (model_.error_code == 0)
      write(name, [&] { out_.replace_file(name, bytes); });
    else
      pending_.replace_file(name, bytes);
  }
  void replace_file_from(const std::string& name, ByteSource& source) override {
    if (model_.error_code == 0)
      write(name, [&] { out_.replace_file_from(name, source); });
    else
      pending_.replace_file_from(name, source);
  }
  void errore(const std::string&) override {}

  // Writes the files kept in memory.
  void write_pending() {
    for (const std::string& name : pending_.order)
      write(name, [&] { out_.replace_file(name, pending_.files.at(name)); });
  }

  std::vector<std::string> written;
  std::optional<FileProblem> problem;  // the first write that failed; nothing is written after it

 private:
  template <typename Replace>
  void write(const std::string& name, Replace replace) {
    if (problem) return;
    try {
      if (written.empty()) {
        std::error_code ec;
        std::filesystem::create_directories(request_.out_dir, ec);
        if (ec) throw FileError(request_.out_dir, "cannot create the folder: " + ec.message());
      }
      replace();
      written.push_back(name);
    } catch (const FileError& e) {
      problem = FileProblem{e.path().string(), e.reason()};
    }
  }

  const CompileRequest& request_;
  const TrackModel& model_;
  const std::optional<std::string>& line_;
  const std::optional<std::string>& train_;
  FolderStore out_;
  MemorySink pending_;
};

// The caret line under a field starting at column: tabs kept so that it lines up,
// then "^" and "~" up to the end of the field (a comma or the line end, less trailing spaces).
std::string caret_line(std::string_view line, int column) {
  const size_t start = static_cast<size_t>(column - 1);
  std::string out;
  for (size_t i = 0; i < start && i < line.size(); ++i) out += line[i] == '\t' ? '\t' : ' ';
  for (size_t i = line.size(); i < start; ++i) out += ' ';
  out += '^';
  if (start < line.size()) {
    size_t end = line.find(',', start);
    if (end == std::string_view::npos) end = line.size();
    while (end > start + 1 && line[end - 1] == ' ') --end;
    if (end > start + 1) out.append(end - start - 1, '~');
  }
  return out;
}

const char* reserved_place_of(const std::string& errore) {
  return errore == "1250" ? "slot 85 short1 or section 1 data1" : "slot 85 value4 or section 1 data2";
}

}  // namespace

std::optional<std::string> identity_problem(std::string_view name) {
  if (name.empty()) return "is empty";
  if (name.find('/') != std::string_view::npos || name.find('\\') != std::string_view::npos)
    return "contains a path separator";
  if (name.find("..") != std::string_view::npos) return "contains \"..\"";
  for (size_t i = 0; i < name.size(); ++i) {
    const auto c = static_cast<unsigned char>(name[i]);
    // C0 controls, DEL, and the C1 controls U+0080..U+009F (UTF-8 C2 80..C2 9F).
    const bool c1 = c == 0xC2 && i + 1 < name.size() && static_cast<unsigned char>(name[i + 1]) >= 0x80 &&
                    static_cast<unsigned char>(name[i + 1]) <= 0x9F;
    if (c < 0x20 || c == 0x7F || c1) return "contains a control character";
  }
  if (!is_cp1252_encodable(name)) return "contains a character without a Windows-1252 byte";
  return std::nullopt;
}

std::string format_fault(int32_t code, int32_t position, const std::string& file, int line, int column,
                         std::string_view source) {
  std::string out;
  if (!file.empty()) {
    out += file;
    if (line > 0) out += ":" + std::to_string(line) + ":" + std::to_string(column);
    out += ": ";
  }
  out += "error: fault " + std::to_string(code) + ": " + std::string(fault_meaning(code));
  if (fault_has_position(code)) out += " (at " + std::to_string(position) + " m)";
  out += "\n";
  if (line > 0 && column > 0 && !source.empty()) {
    // The caret is lined up on the Windows-1252 text, one byte a character.
    const std::string_view text = FieldReader(source).line_text(line);
    if (!text.empty()) out += cp1252_to_utf8(text) + "\n" + caret_line(text, column) + "\n";
  }
  return out;
}

std::string format_conflict(const Conflict& conflict) {
  return "warning: conflict " + std::to_string(conflict.code) + ": " +
         std::string(fault_meaning(conflict.code)) + " (at " + std::to_string(conflict.position) + " m)\n";
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
  int errors = 0;
  auto file_problem = [&](const std::string& file, const std::string& reason) {
    report.file_problem = FileProblem{file, reason};
    report.exit_status = kExitFileError;
    report.diagnostics += file + ": error: " + reason + "\n";
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
  // An output must never replace one of the descriptions.
  std::vector<std::string> outputs{slot_table_name(request.line_name, request.train_number),
                                   section_array_name(request.line_name, request.train_number)};
  if (request.plot) outputs.push_back(route_plot_name(request.line_name));
  for (const std::string& name : outputs) {
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

  TrackModel model;
  model.line_name = request.line_name;
  model.train_number = request.train_number;
  ToolIo io(request, model, line_text, train_text);
  report.outcome = memorizza_percorso(model, request.plot ? 1 : 0, io);
  const PercorsoOutcome& outcome = report.outcome;

  // The compiler's fault, tied to its record when the compiler knows it. Without a
  // site, 101 is the missing line description and 2 its chainage references.
  if (outcome.fault_code != 0) {
    const FaultSite& site = outcome.fault_site;
    std::optional<Description> blamed;
    if (site.known)
      blamed = site.description;
    else if (outcome.fault_code == 101 || outcome.fault_code == 2)
      blamed = Description::line;
    const std::optional<std::string>* source = nullptr;
    if (blamed) {
      report.fault_file = io.description_name(*blamed);
      source = *blamed == Description::line ? &line_text : &train_text;
    }
    const int line = site.known ? site.line : 0;
    report.diagnostics += format_fault(outcome.fault_code, outcome.fault_position, report.fault_file, line,
                                       site.column, source && *source ? std::string_view(**source) : "");
    if (source && !*source)
      report.diagnostics += report.fault_file + ": note: " + std::generic_category().message(ENOENT) + "\n";
    ++errors;
  } else if (!outcome.sections_created) {
    report.diagnostics += request.line_description.string() +
                          ": error: nothing compiled: the line description gave no section array\n";
    ++errors;
  }
  for (const Conflict& c : outcome.conflicts) report.diagnostics += format_conflict(c);
  if (!outcome.errore.empty()) {
    report.diagnostics += "error: Errore n. " + outcome.errore + ": a reserved place is taken (" +
                          reserved_place_of(outcome.errore) + ")\n";
    ++errors;
  }

  const bool faulty = outcome.fault_code != 0 || !outcome.sections_created;
  report.exit_status = !outcome.errore.empty() ? kExitErrore : faulty ? kExitCompilerFault : kExitBuilt;

  if (outcome.errore.empty() && (!faulty || request.keep_partial)) io.write_pending();
  report.written = io.written;
  if (io.problem) file_problem(io.problem->file, io.problem->reason);
  report.diagnostics +=
      format_summary(errors, static_cast<int>(outcome.conflicts.size()), report.written.size());
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
               {"meaning", std::string(fault_meaning(outcome.fault_code))}};
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
