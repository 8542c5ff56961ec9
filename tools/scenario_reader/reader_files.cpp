#include "tools/scenario_reader/reader_files.h"

#include "platform/folder_store.h"
#include "output/compiled_files.h"
#include "sources/cp1252.h"

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

enum class Format { sections, slots, plot };

template <typename Decode>
bool decodes(Decode decode) {
  try {
    decode();
    return true;
  } catch (const FormatError&) {
    return false;
  }
}

// For a file that does not hold the format it was given as, the format it does hold, as a
// hint that the files were given in the wrong order. The strictest formats are tried first:
// any length that is a multiple of 15 reads as a section array.
std::string swap_hint(const std::string& bytes, Format given) {
  const char* holds = nullptr;
  if (given != Format::slots && decodes([&] { decode_slots(bytes); }))
    holds = "a slot table (.sim)";
  else if (given != Format::plot && decodes([&] { decode_route_plot(bytes); }))
    holds = "a route plot (_linea.dat)";
  else if (given != Format::sections && decodes([&] { decode_sections(bytes); }))
    holds = "a section array (.dat)";
  if (holds == nullptr) return "";
  return std::string("; it reads as ") + holds +
         ": are the files swapped? Give them in the order SECTIONS.dat SLOTS.sim [ROUTE_linea.dat]";
}

// Runs a decoder and puts the file's name in front of its complaint, with a hint when the
// file holds another of the formats.
template <typename Decode>
auto decode_named(const std::string& name, const std::string& bytes, Format format, Decode decode) {
  try {
    return decode();
  } catch (const FormatError& e) {
    throw InspectError(name + ": " + e.what() + swap_hint(bytes, format));
  }
}

}  // namespace

TrackModel decode_scenario(const std::string& sections_bytes, const std::string& sections_name,
                           const std::string& slots_bytes, const std::string& slots_name,
                           const std::optional<std::string>& plot_bytes, const std::string& plot_name) {
  TrackModel m;
  m.sections = decode_named(sections_name, sections_bytes, Format::sections,
                            [&] { return decode_sections(sections_bytes); });
  m.sections_created = true;
  m.cell_limit = m.section_count() - 1;
  m.slots = decode_named(slots_name, slots_bytes, Format::slots, [&] { return decode_slots(slots_bytes); });
  m.line_name = cp1252_to_utf8(m.slots[kSceneSlot].text);
  m.train_number = cp1252_to_utf8(m.slots[kCabSlot].text);
  if (plot_bytes) {
    m.route_plot = RoutePlot::from_values(
        decode_named(plot_name, *plot_bytes, Format::plot, [&] { return decode_route_plot(*plot_bytes); }));
    m.plot_created = true;
    m.plot_wanted = 1;
    m.plot_limit = m.route_plot.points() - 1;
  }
  return m;
}

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
