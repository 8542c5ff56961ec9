#include "driver/build.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <optional>
#include <vector>

#include "compiler/diagnostics.h"
#include "driver/errore.h"
#include "platform/env.h"
#include "platform/folder_store.h"
#include "platform/set_commit.h"
#include "platform/stop_cleanup.h"
#include "session/program_build.h"
#include "sources/file_names.h"

namespace compactor {
namespace {

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

// The program speaks English: its notes are the catalogue's English texts.
void report_notes(const std::vector<Message>& notes) {
  for (const Message& note : notes) std::fprintf(stderr, "%s\n", render(note, Language::en).c_str());
  std::fflush(stderr);
}

int build_in(FolderStore& store, const Scenario& scenario, ProgressWindow& window) {
  window.show_and_repaint();
  const auto names = build_file_names(scenario.line_name, scenario.train_number);
  const ProgramBuild build = build_scenario(store, scenario, [&](const std::string& a) {
    // errore ends the program: the descriptions go first, whatever the compiler left.
    for (const std::string& name : {names[0], names[1]}) {
      try {
        store.remove_file(name);
      } catch (const FileError& e) {
        std::fprintf(stderr, "%s\n", e.what());
      }
    }
    errore(a, window);
  });
  // One line on standard error: the fault at its record ("FILE:LINE:COL: error: fault N: ...").
  // The descriptions are gone by now, so no source line follows; the program prints no warning.
  if (build.fault) std::fputs(DiagnosticPrinter().format(*build.fault).c_str(), stderr);
  return build.exit_status;
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
  auto remove_descriptions = [&](std::vector<Message>& notes) {
    if (!store) return;
    for (const std::string& name : {names[0], names[1]}) {
      const auto& written = store->replaced();
      if (std::find(written.begin(), written.end(), name) == written.end()) continue;
      try {
        store->remove_file(name);
      } catch (const FileError& gone) {
        notes.push_back(msg(MessageId::text, gone.what()));
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
    std::vector<Message> notes;
    if (store)
      for (const std::string& name : store->replaced())
        if (name != names[0] && name != names[1]) replaced.push_back(name);
    remove_descriptions(notes);
    report_file_error(e, replaced, !has_interrupted_write(folder));
    report_notes(notes);
    return kExitFileError;
  } catch (const std::exception& e) {
    // What the system refuses otherwise (memory, a path it cannot resolve): one line too.
    std::vector<Message> notes{msg(MessageId::text, program_name() + ": " + e.what())};
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
