#pragma once
// The in-memory model of one scenario build: the 50 m sections, the 87 slots,
// the route plot and the values the compilers share.

#include <array>
#include <cstdint>
#include <stdexcept>
#include <string>
#include <vector>

#include "compiler/header_slots.h"
#include "compiler/route_plot.h"

namespace compactor {

inline constexpr int kSlotCount = 87;         // slots 0 to 86
inline constexpr int kMountainCapacity = 80;  // mountain records 1 to 80
inline constexpr int32_t kMetresPerSection = 50;
inline constexpr int32_t kMaxLineLength = 1000000;
inline constexpr int32_t kSpareMetres = 7000;  // the arrays reach this far past the line's end

// Section kinds.
enum SectionKind : uint8_t {
  kKindNone = 0,
  kKindSignal = 1,
  kKindSlowEnd = 2,
  kKindSlowStart = 3,
  kKindSlowWarning = 4,
  kKindSlowApproach = 5,
  kKindSpeedBoard = 6,
  kKindStationEnd = 10,
  kKindTunnelMarker = 11,
  kKindAbbattimento = 12,
  kKindBareAbbattimento = 13,
  kKindSignBoard = 14,
};

struct TrackCell {
  uint8_t kind = 0;
  int16_t data1 = 0;
  int16_t data2 = 0;
  int16_t data3 = 0;
  int16_t data4 = 0;
  uint8_t signal_time = 0;
  uint8_t approach_mark = 0;
  uint8_t mountain_type = 0;
  uint8_t speed_code = 0;
  uint8_t gradient_code = 0;
  uint8_t adhesion = 0;
  bool operator==(const TrackCell&) const = default;
};

struct SlotRecord {
  uint8_t kind = 0;
  int32_t value1 = 0;
  int32_t value2 = 0;
  int32_t value3 = 0;
  uint8_t mode = 0;
  std::string text;  // Windows-1252 bytes, as stored on disk
  int16_t short1 = 0;
  int16_t short2 = 0;
  int16_t short3 = 0;
  int16_t short4 = 0;
  int16_t short5 = 0;
  uint8_t byte1 = 0;
  uint8_t byte2 = 0;
  uint8_t byte3 = 0;
  uint8_t byte4 = 0;
  int32_t value4 = 0;
  bool operator==(const SlotRecord&) const = default;
};

// Which description a fault's record came from, and where in it.
enum class Description { line, train };

struct FaultSite {
  bool known = false;
  Description description = Description::line;
  int line = 0;    // 1-based
  int column = 0;  // 1-based, of the field's first character
};

struct TrackModel {
  // Module values.
  std::string line_name;
  std::string train_number;
  std::string current_field;
  int32_t plot_wanted = 0;
  int32_t plot_limit = 0;
  int32_t cell_limit = 0;
  int32_t lit_stretch = 0;
  int32_t error_code = 0;
  int32_t error_position = 0;
  // Slot that receives the next sign-board text; the train half counts stations against it.
  int32_t next_sign_slot = kFirstSignSlot;

  std::array<SlotRecord, kSlotCount> slots{};
  std::vector<TrackCell> sections;  // 0 to cell_limit once created
  bool sections_created = false;
  RoutePlot route_plot;  // metres 0..plot_limit; no points when not built
  bool plot_created = false;

  std::array<int32_t, kMountainCapacity + 1> mountain_starts{};
  std::array<int32_t, kMountainCapacity + 1> mountain_ends{};
  int32_t mountain_count = 0;

  // Where the record of the last compiler fault stands (for diagnostics only).
  FaultSite fault_site;

  // Sets all 87 slots to the cleared state (numbers 0, texts empty).
  void clear_slots();
  // Sets plot_limit and cell_limit for a line of length L and creates the sections
  // (all zero) and, while plot_wanted is set, the route plot (all empty).
  void create_sections_and_plot(int32_t length);

  // Checked access: throws IndexFault outside 0..cell_limit / 0..86 / the plot.
  TrackCell& section(int64_t index);
  const TrackCell& section(int64_t index) const;
  SlotRecord& slot(int64_t index);
  const SlotRecord& slot(int64_t index) const;
  PlotValue plot(int64_t metre, int axis) const { return route_plot.at(metre, axis); }
  int32_t section_count() const { return static_cast<int32_t>(sections.size()); }
};

// cell_limit of a line of length L: (L + 7000) / 50, converted.
int32_t cell_limit_for(int32_t length);
// Point section of a position: p / 50 + 1, converted.
int32_t point_section(int32_t position);
// Range check: (p + margin) / 50, in floating point, is not greater than cell_limit.
bool range_check(const TrackModel& model, int32_t position, int32_t margin = 100);
// A free section holds nothing or a tunnel marker.
inline bool is_free(const TrackCell& cell) {
  return cell.kind == kKindNone || cell.kind == kKindTunnelMarker;
}

}  // namespace compactor
