#pragma once
// The build sequence: Form_Load writes the two descriptions and the three documents,
// then compiles the descriptions into the three compiled files.

#include <filesystem>

#include "driver/progress_window.h"
#include "session/program_build.h"

namespace compactor {

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
