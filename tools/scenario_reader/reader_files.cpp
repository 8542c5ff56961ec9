#include "tools/scenario_reader/reader_files.h"

#include "platform/folder_store.h"
#include "output/compiled_files.h"

namespace compactor::inspect {
namespace {


std::string read_whole(const std::filesystem::path& path) {
  try {
    const FolderStore store(path.has_parent_path() ? path.parent_path() : std::filesystem::path("."));
    std::optional<std::string> bytes = store.read_file(path.filename().string());
    if (!bytes) throw InspectError(path.string() + ": no such file");
    return std::move(*bytes);
  } catch (const FileError& e) {
    throw InspectError(e.what());
  }
}

}  // namespace

TrackModel load_scenario(const ScenarioPaths& paths) {
  const std::string sections = read_whole(paths.sections);
  const std::string slots = read_whole(paths.slots);
  std::optional<std::string> plot;
  if (paths.plot) plot = read_whole(*paths.plot);
  return decode_scenario(sections, paths.sections.string(), slots, paths.slots.string(), plot,
                         paths.plot ? paths.plot->string() : std::string());
}

void write_scenario(const TrackModel& model, const ScenarioPaths& paths) {
  if (model.plot_created && !paths.plot) throw InspectError("the model has a route plot: name a file for it");
  if (!model.plot_created && paths.plot)
    throw InspectError(paths.plot->string() + ": the model has no route plot to write");
  // Everything is encoded before the first file is touched.
  const std::string sections = encode_sections(model.sections);
  const std::string slots = encode_slots(model.slots);
  const std::string plot = model.plot_created ? encode_route_plot(model.route_plot) : std::string();
  try {
    if (paths.plot) replace_file_atomically(*paths.plot, plot);
    replace_file_atomically(paths.slots, slots);
    replace_file_atomically(paths.sections, sections);
  } catch (const FileError& e) {
    throw InspectError(e.what());
  }
}

}  // namespace compactor::inspect
