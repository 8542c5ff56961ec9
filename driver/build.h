#pragma once
// The build sequence: Form_Load writes the two descriptions and the three documents,
// then compiles the descriptions into the three compiled files.

#include <filesystem>
#include <span>
#include <string>
#include <string_view>

#include "documents/notes.h"
#include "documents/slowdown_form.h"
#include "documents/train_card.h"
#include "driver/progress_window.h"

namespace compactor {

// The scenario a build carries: its identity, its two descriptions and its three
// documents (by default the built-in scenario's documents).
struct Scenario {
  std::string line_name;
  std::string train_number;
  std::span<const std::string_view> line_content;
  std::span<const std::string_view> train_content;
  std::span<const std::string_view> notes = notes_lines();
  std::span<const std::string_view> slowdown_form = form_lines();
  std::span<const std::string_view> train_card = card_lines();
};

// The scenario this program carries, from the pack it was built with
// (driver/program_scenario.cpp and the source the build generates from the pack).
Scenario embedded_scenario();

// Runs the whole build in folder and returns the exit status. errore (a reserved
// place taken) ends the program from inside; a FileError propagates to the caller.
int Form_Load(const Scenario& scenario, ProgressWindow& window, const std::filesystem::path& folder);

// Form_Load with a file that cannot be read or written turned into a message on
// standard error (the file and the system's reason) and status 2.
int run_build(const Scenario& scenario, ProgressWindow& window, const std::filesystem::path& folder);

// The whole program: the build in the program's folder, with every failure turned
// into a message on standard error and its exit status.
int run_program(const Scenario& scenario);

}  // namespace compactor
