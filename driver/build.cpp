#include "driver/build.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <vector>

#include "compiler/diagnostics.h"
#include "documents/notes.h"
#include "documents/slowdown_form.h"
#include "documents/train_card.h"
#include "driver/errore.h"
#include "output/memorizza_percorso.h"
#include "platform/env.h"
#include "platform/folder_store.h"
#include "platform/set_commit.h"
#include "platform/stop_cleanup.h"
#include "sources/cp1252.h"
#include "sources/file_names.h"
#include "sources/line_content.h"
#include "sources/train_content.h"

namespace compactor {
namespace {

// The build's files live in one folder; the compiler deletes each description once read.
class FolderScenarioIo : public ScenarioIo {
 public:
  FolderScenarioIo(FolderStore& store, const Scenario& s, ProgressWindow& window)
      : store_(store), scenario_(s), window_(window) {}

  std::optional<std::string> read_description(Description which) override {
    return store_.read_file(description_name(which));
  }
  void delete_description(Description which) override { store_.remove_file(description_name(which)); }
  std::string description_name(Description which) const override {
    return which == Description::line ? line_description_name(scenario_.line_name)
                                      : train_description_name(scenario_.line_name, scenario_.train_number);
  }
  void replace_file(const std::string& name, std::string_view bytes) override {
    store_.replace_file(name, bytes);
  }
  void replace_file_from(const std::string& name, ByteSource& source) override {
    store_.replace_file_from(name, source);
  }
  void begin_set() override { store_.begin_set(); }
  void commit_set() override { store_.commit_set(); }
  void abandon_set() override { store_.abandon_set(); }
  void errore(const std::string& a) override {
    // errore ends the program: the descriptions go first, whatever the compiler left.
    for (const Description which : {Description::line, Description::train}) {
      try {
        store_.remove_file(description_name(which));
      } catch (const FileError& e) {
        std::fprintf(stderr, "%s\n", e.what());
      }
    }
    compactor::errore(a, window_);
  }

 private:
  FolderStore& store_;
  const Scenario& scenario_;
  ProgressWindow& window_;
};

// One line on standard error: the fault at its record ("FILE:LINE:COL: error: fault N: ...").
// The descriptions are gone by now, so no source line follows; the program prints no warning.
void report_fault(const PercorsoOutcome& outcome, const FolderScenarioIo& io) {
  const DiagnosticPrinter printer(io.description_name(Description::line), std::nullopt,
                                  io.description_name(Description::train), std::nullopt);
  Diagnostic fault =
      fault_diagnostic(outcome.fault_code, outcome.fault_position, outcome.fault_site, outcome.diagnostics);
  fault.notes.clear();
  if (!outcome.sections_created) fault.message += "; no compiled file written";
  std::fputs(printer.format(fault).c_str(), stderr);
}

// One line on standard error: the file and the system's reason, then the files this run
// had already replaced, if any. A program with no console to write to (started from the
// Windows desktop) shows the same line in a message box.
void report_file_error(const FileError& e, const std::vector<std::string>& replaced, bool set_kept) {
  std::string line = FileError::display_path(e.path()) + ": " + e.reason();
  if (!replaced.empty()) {
    line += "; replaced before the failure:";
    for (size_t i = 0; i < replaced.size(); ++i) line += (i == 0 ? " " : ", ") + replaced[i];
    // Otherwise the reason says that the next run puts the earlier set back.
    if (set_kept) line += "; the compiled set was kept";
  }
  std::fprintf(stderr, "%s\n", line.c_str());
  std::fflush(stderr);
  if (!has_console()) show_failure_box(line);
}

void report_notes(const std::vector<std::string>& notes) {
  for (const std::string& note : notes) std::fprintf(stderr, "%s\n", note.c_str());
  std::fflush(stderr);
}

int build_in(FolderStore& store, const Scenario& scenario, ProgressWindow& window) {
  TrackModel model;
  model.line_name = scenario.line_name;
  model.train_number = scenario.train_number;
  window.show_and_repaint();

  dati_linea(store, model.line_name, scenario.line_content);
  dati_treno(store, model.line_name, model.train_number, scenario.train_content);
  dati_note(store, model.line_name, model.train_number, scenario.notes);
  dati_rallentamenti(store, model.line_name, model.train_number, scenario.slowdown_form);
  dati_scheda(store, model.line_name, model.train_number, scenario.train_card);

  FolderScenarioIo io(store, scenario, window);
  int32_t j = 1;
  const PercorsoOutcome outcome = memorizza_percorso(model, j, io);
  // The compiler leaves a description on some faults; the run never does.
  for (const Description which : {Description::line, Description::train})
    if (store.exists(io.description_name(which))) store.remove_file(io.description_name(which));
  if (outcome.fault_code != 0 || !outcome.sections_created) {
    report_fault(outcome, io);
    return kExitCompilerFault;
  }
  return kExitBuilt;
}

}  // namespace

int Form_Load(const Scenario& scenario, ProgressWindow& window, const std::filesystem::path& folder) {
  const auto names = build_file_names(scenario.line_name, scenario.train_number);
  const FolderSession session(folder, {names.begin(), names.end()});
  report_notes(session.notes());
  FolderStore store(folder);
  const int status = build_in(store, scenario, window);
  report_notes(store.notes());
  return status;
}

int run_build(const Scenario& scenario, ProgressWindow& window, const std::filesystem::path& folder) {
  std::optional<FolderStore> store;
  const std::array<std::string, 8> names = build_file_names(scenario.line_name, scenario.train_number);
  // The descriptions are intermediate: those this run wrote never outlive it, whatever ends it.
  auto remove_descriptions = [&](std::vector<std::string>& notes) {
    if (!store) return;
    for (const std::string& name : {names[0], names[1]}) {
      const auto& written = store->replaced();
      if (std::find(written.begin(), written.end(), name) == written.end()) continue;
      try {
        store->remove_file(name);
      } catch (const FileError& gone) {
        notes.push_back(gone.what());
      }
    }
  };
  try {
    // One run writes the folder at a time; an interrupted earlier run is finished or undone first.
    const FolderSession session(folder, {names.begin(), names.end()});
    report_notes(session.notes());
    // Once the folder is this run's, a stop removes the descriptions with the temporaries.
    const RemovedOnStop line_on_stop(folder / names[0]), train_on_stop(folder / names[1]);
    store.emplace(folder);
    const int status = build_in(*store, scenario, window);
    report_notes(store->notes());
    return status;
  } catch (const FileError& e) {
    std::vector<std::string> replaced;
    std::vector<std::string> notes;
    if (store)
      for (const std::string& name : store->replaced())
        if (name != names[0] && name != names[1]) replaced.push_back(name);
    remove_descriptions(notes);
    report_file_error(e, replaced, !has_interrupted_write(folder));
    report_notes(notes);
    return kExitFileError;
  } catch (const std::exception& e) {
    // What the system refuses otherwise (memory, a path it cannot resolve): one line too.
    std::vector<std::string> notes{program_name() + ": " + e.what()};
    remove_descriptions(notes);
    report_notes(notes);
    return kExitFileError;
  }
}

int run_program(const Scenario& scenario) {
  std::filesystem::path folder;
  try {
    folder = program_folder();
  } catch (const FileError& e) {
    report_file_error(e, {}, true);
    return kExitFileError;
  }
  // Where a path is short (Windows, without long paths), a folder too deep for the longest
  // name is found before the first file is written.
  size_t longest = 0;
  for (const std::string& name : build_file_names(scenario.line_name, scenario.train_number))
    longest = std::max(longest, hidden_name_bytes(name.size()));
  if (const auto problem = folder_path_problem(folder, longest)) {
    report_file_error(FileError(folder, *problem), {}, true);
    return kExitFileError;
  }
  auto window = open_progress_window();
  return run_build(scenario, *window, folder);
}

}  // namespace compactor
