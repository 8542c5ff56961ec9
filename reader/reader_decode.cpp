#include "reader/reader_decode.h"

#include "output/compiled_files.h"
#include "sources/cp1252.h"

namespace compactor::inspect {
namespace {

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

}  // namespace compactor::inspect
