#pragma once
// The compile of a pair of descriptions, as every front runs it: with the program's own
// finishing step, the compiled files written into a folder (or handed to a front's sink),
// and every problem reported as one list of diagnostics (sources/diagnostic.h), which the
// fronts render: the terminal text (file:line:column, the source line and a caret), JSON,
// the page, a language server.

#include <filesystem>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <set>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/diagnostics.h"
#include "compiler/realistic_run.h"
#include "compiler/track_model.h"
#include "output/memorizza_percorso.h"
#include "sources/diagnostic.h"
#include "sources/file_sink.h"
#include "sources/scenario_names.h"

namespace compactor {

// The names of the warnings that are off unless asked for (-W<name>).
std::set<std::string> warnings_off_by_default();

struct CompileRequest {
  std::filesystem::path line_description;
  std::filesystem::path train_description;
  std::string line_name;     // UTF-8, as given on the command line
  std::string train_number;  // UTF-8, as given on the command line
  std::filesystem::path out_dir = ".";
  bool plot = true;           // build and write <line>_linea.dat (j = 1)
  bool keep_partial = false;  // on a compiler fault, still write what was compiled
  bool utf8_input = false;    // the descriptions are UTF-8: converted to Windows-1252 on reading
  // Names given as -Wno-<name>, left out altogether; at first the warnings that are off by default.
  std::set<std::string> disabled_warnings = warnings_off_by_default();
  // The planning acceleration of the realistic run (m/s²), the pack's when it gives one.
  double acceleration = kPlanningAcceleration;
  bool werror = false;                      // warnings fail the compile (exit 3, nothing written)
  // Warnings a pack's scenario.json accepts: left out of the counts and the terminal text,
  // and out of the list unless keep_accepted (a language server shows them as hints).
  std::set<std::string> accepted_warnings;
  bool keep_accepted = false;
  // The fixes a warning that is not accepted gets beside its own (a pack: the edit of
  // scenario.json that accepts it).
  std::function<std::vector<Fix>(const std::string& warning)> warning_fixes;
  // The language of the terminal text (CompileReport::diagnostics).
  Language language = Language::en;
  // The descriptions' bytes when they are in memory already (a scenario pack, an editor's
  // buffers); the two paths then only name them in the diagnostics.
  std::optional<std::string> line_text;
  std::optional<std::string> train_text;
  // A front that keeps the compiled files itself (the page, in memory): they go to this sink
  // as one set instead of into out_dir, and no folder is touched.
  FileSink* sink = nullptr;
  // Where the compiled model goes once compiled, for a front that shows it without reading
  // the files back (the route plot stays as its runs).
  TrackModel* compiled = nullptr;
};

// A file that could not be read or written, and why.
struct FileProblem {
  std::string file;
  Message reason;
};

struct CompileReport {
  int exit_status = 0;
  PercorsoOutcome outcome;
  std::vector<std::string> written;  // names written into out_dir, in order
  std::optional<FileProblem> file_problem;
  // Everything to report, in the order the terminal shows it: warnings found before the
  // fault, the fault, the warnings after it and the conflicts of the pass, a reserved place
  // taken, file problems; notes of recovery where the folder was recovered.
  std::vector<Diagnostic> entries;
  std::vector<Diagnostic> warnings;  // the warnings shown (not turned off or accepted), conflicts included
  std::optional<Diagnostic> fault;   // the compiler's fault, as it stands among the entries
  int errors = 0;                    // the errors among the entries, as the summary counts them
  std::string line_file;             // the two descriptions' names as given
  std::string train_file;
  bool werror = false;
  std::string diagnostics;  // the terminal text in the request's language: the entries and the summary
};

// Compiles the pair and writes the outputs as the request says. The line name and the
// train number must have passed identity_problem. Never throws for a file problem: it
// comes back in file_problem with exit status 2.
CompileReport compile_pair(const CompileRequest& request);

// The outcome as one JSON object, messages in the language: exit_status, sections_created,
// fault, conflicts, warnings, error, files, codes, file_error, and diagnostics (every entry,
// see session/diagnostic_json.h).
nlohmann::json report_json(const CompileReport& report, Language language = Language::en);

// The last line: "compiled: 3 files written", "1 error, 2 warnings; nothing written", ...
Message summary_message(int errors, int warnings, size_t files_written);
std::string format_summary(int errors, int warnings, size_t files_written, Language language = Language::en);

}  // namespace compactor
