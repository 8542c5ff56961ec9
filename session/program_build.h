#pragma once
// The program's own build of its scenario, in a folder: the fixed-text writer writes the two
// descriptions and the three documents there, the finishing step compiles the descriptions
// (the compiler deletes each once read) and replaces the three compiled files as one set.
// The program (driver/) and the runner take these steps from here.

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "documents/notes.h"
#include "documents/slowdown_form.h"
#include "documents/train_card.h"
#include "platform/folder_store.h"
#include "sources/diagnostic.h"

namespace compactor {

// The scenario a build carries: its identity, the line tables of its two descriptions and
// of its three documents (by default the built-in scenario's documents).
struct Scenario {
  std::string line_name;
  std::string train_number;
  std::span<const std::string_view> line_content;
  std::span<const std::string_view> train_content;
  std::span<const std::string_view> notes = notes_lines();
  std::span<const std::string_view> slowdown_form = form_lines();
  std::span<const std::string_view> train_card = card_lines();
};

struct ProgramBuild {
  int exit_status = 0;  // kExitBuilt, or kExitCompilerFault
  // The fault as the program reports it: at its record, without notes (the descriptions are
  // gone by then), and saying so when no compiled file was written.
  std::optional<Diagnostic> fault;
};

// Runs the build in the store's folder. errore is called with "1250" or "1251" when a
// reserved place is taken (the program shows it and ends there). No description outlives
// the build: what the compiler leaves is removed. A file that cannot be read or written
// throws FileError.
ProgramBuild build_scenario(FolderStore& store, const Scenario& scenario,
                            const std::function<void(const std::string&)>& errore);

}  // namespace compactor
