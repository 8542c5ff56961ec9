#pragma once
// Reading the compiled files of a scenario from disk into a track model, and writing them
// again from one.

#include <filesystem>
#include <optional>

#include "reader/reader_decode.h"

namespace compactor::inspect {

// The files given on the command line: section array, slot table, route plot (optional).
struct ScenarioPaths {
  std::filesystem::path sections;
  std::filesystem::path slots;
  std::optional<std::filesystem::path> plot;
};

// Reads the files and decodes them (see decode_scenario).
TrackModel load_scenario(const ScenarioPaths& paths);

// Writes the section array and the slot table, and the route plot when a path is given
// for it; each file is replaced as a whole. Throws InspectError when the model has a
// route plot and no path for it, or a path and no route plot.
void write_scenario(const TrackModel& model, const ScenarioPaths& paths);

}  // namespace compactor::inspect
