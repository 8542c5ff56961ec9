#pragma once
// scenario-compile's work: compile a pair of description files with the program's own
// finishing step, write the compiled files into a folder, and describe every problem
// as a compiler would (file:line:column, the source line and a caret).

#include <filesystem>
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
  // Names given as -Wno-<name>; at first the warnings that are off by default.
  std::set<std::string> disabled_warnings = warnings_off_by_default();
  // The planning acceleration of the realistic run (m/s²), the pack's when it gives one.
  double acceleration = kPlanningAcceleration;
  bool werror = false;                      // warnings fail the compile (exit 3, nothing written)
  // The descriptions' bytes when they are in memory already (a scenario pack); the two
  // paths then only name them in the diagnostics.
  std::optional<std::string> line_text;
  std::optional<std::string> train_text;
  // A front that keeps the compiled files itself (the page, in memory): they go to this sink
  // as one set instead of into out_dir, and no folder is touched.
  FileSink* sink = nullptr;
  // Where the compiled model goes once compiled, for a front that shows it without reading
  // the files back (the route plot stays as its runs).
  TrackModel* compiled = nullptr;
};

// A file that could not be read or written, with the system's reason.
struct FileProblem {
  std::string file;
  std::string reason;
};

struct CompileReport {
  int exit_status = 0;
  PercorsoOutcome outcome;
  std::string fault_file;            // the description a compiler fault is blamed on; empty when none
  std::vector<std::string> written;  // names written into out_dir, in order
  std::optional<FileProblem> file_problem;
  std::vector<Diagnostic> warnings;  // the warnings shown (turned-off ones left out), conflicts included
  std::string fault_message;         // the fault's diagnostic text (first line), empty when none
  std::string line_file;             // the two descriptions' names as given
  std::string train_file;
  std::string diagnostics;  // for standard error, one problem a line (plus source and caret)
};

// Compiles the pair and writes the outputs as the request says. The line name and the
// train number must have passed identity_problem. Never throws for a file problem: it
// comes back in file_problem with exit status 2.
CompileReport compile_pair(const CompileRequest& request);

// The outcome as one JSON object.
nlohmann::json report_json(const CompileReport& report);

// The last line: "compiled: 3 files written", "1 error, 2 warnings; nothing written", ...
std::string format_summary(int errors, int warnings, size_t files_written);

}  // namespace compactor
