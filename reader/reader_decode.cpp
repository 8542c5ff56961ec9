#include "reader/reader_decode.h"

#include <optional>

#include "output/compiled_files.h"
#include "sources/cp1252.h"

namespace compactor::inspect {
namespace {

using Format = CompiledKind;

constexpr uint64_t kSectionBytes = 15;    // one section record
constexpr uint64_t kEmptySlotBytes = 34;  // one slot record with an empty text

// Whether a file of this size can hold the format at all: the swap hint is given only then.
bool size_fits(size_t size, Format f) {
  switch (f) {
    case Format::sections:
      return size % kSectionBytes == 0 && size >= 2 * kSectionBytes && size <= largest_size(f);
    case Format::slots:
      return size >= uint64_t{kSlotCount} * kEmptySlotBytes && size <= largest_size(f);
    case Format::plot:
      return size >= 4 && size <= largest_size(f);
  }
  return false;
}

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
Message swap_hint(const std::string& bytes, Format given) {
  std::optional<Format> holds;
  const auto fits = [&](Format f) { return given != f && size_fits(bytes.size(), f); };
  if (fits(Format::slots) && decodes([&] { decode_slots(bytes); }))
    holds = Format::slots;
  else if (fits(Format::plot) && decodes([&] { decode_route_plot(bytes); }))
    holds = Format::plot;
  else if (fits(Format::sections) && decodes([&] { decode_sections(bytes); }))
    holds = Format::sections;
  if (!holds) return msg(MessageId::empty);
  return Message{MessageId::inspect_swapped, {}, {kind_name(*holds)}};
}

// Runs a decoder and puts the file's name in front of its complaint, with a hint when the
// file holds another of the formats.
template <typename Decode>
auto decode_named(const std::string& name, const std::string& bytes, Format format, Decode decode) {
  try {
    return decode();
  } catch (const FormatError& e) {
    throw InspectError(Message{MessageId::inspect_damaged, {name, e.what()}, {swap_hint(bytes, format)}});
  }
}

}  // namespace

uint64_t largest_size(CompiledKind kind) {
  // The longest line: its plot reaches kSpareMetres past the end, a section every 50 m.
  constexpr uint64_t points = uint64_t{kMaxLineLength} + kSpareMetres + 1;
  constexpr uint64_t sections = (uint64_t{kMaxLineLength} + kSpareMetres + kMetresPerSection / 2) / kMetresPerSection + 1;
  switch (kind) {
    case CompiledKind::sections:
      return sections * kSectionBytes;
    case CompiledKind::slots:
      return uint64_t{kSlotCount} * (kEmptySlotBytes + 0xFFFF);
    case CompiledKind::plot:
      return 2 * points * 10;  // every value an 8-byte double behind its 2-byte tag
  }
  return 0;
}

Message kind_name(CompiledKind kind) {
  switch (kind) {
    case CompiledKind::sections:
      return msg(MessageId::inspect_kind_sections);
    case CompiledKind::slots:
      return msg(MessageId::inspect_kind_slots);
    case CompiledKind::plot:
      break;
  }
  return msg(MessageId::inspect_kind_plot);
}

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
    m.route_plot =
        decode_named(plot_name, *plot_bytes, Format::plot, [&] { return decode_route_plot_model(*plot_bytes); });
    m.plot_created = true;
    m.plot_wanted = 1;
    m.plot_limit = m.route_plot.points() - 1;
  }
  return m;
}

}  // namespace compactor::inspect
