#pragma once
// Reading the compiled files of a scenario back into a track model, and writing them
// again from one.

#include <filesystem>
#include <optional>
#include <stdexcept>
#include <string>

#include "compiler/track_model.h"

namespace compactor::inspect {

// The files given on the command line: section array, slot table, route plot (optional).
struct ScenarioPaths {
  std::filesystem::path sections;
  std::filesystem::path slots;
  std::optional<std::filesystem::path> plot;
};

// A file that cannot be read or does not hold what its format says. The message names
// the file and, for a damaged file, the offset.
class InspectError : public std::runtime_error {
 public:
  explicit InspectError(const std::string& what) : std::runtime_error(what) {}
};

// The model as the files hold it: sections (cell_limit = count - 1), the 87 slots,
// and the route plot when its file is given (plot_created, plot_limit = points - 1).
// line_name and train_number are the texts of slots 85 and 86, in UTF-8.
TrackModel load_scenario(const ScenarioPaths& paths);

// The same model built from bytes in memory; names are used in messages only.
TrackModel decode_scenario(const std::string& sections_bytes, const std::string& sections_name,
                           const std::string& slots_bytes, const std::string& slots_name,
                           const std::optional<std::string>& plot_bytes, const std::string& plot_name);

// Writes the section array and the slot table, and the route plot when a path is given
// for it; each file is replaced as a whole. Throws InspectError when the model has a
// route plot and no path for it, or a path and no route plot.
void write_scenario(const TrackModel& model, const ScenarioPaths& paths);

}  // namespace compactor::inspect
