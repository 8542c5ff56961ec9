#pragma once
// What the fields of a compiled scenario mean: kind names, the stations, the sign
// boards and the packed values of signals and speed boards, read from a track model.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/realistic_run.h"
#include "compiler/timetable.h"
#include "compiler/track_model.h"
#include "sources/messages.h"

namespace compactor::inspect {

inline constexpr int kChainageSlotFirst = kFirstChainageSlot;

// "signal", "speed board", ...; "-" for 0 and "kind N" for a number without a meaning. The
// English names are also the picture's and the JSON's names of the kinds.
std::string kind_name(uint8_t kind, Language language = Language::en);

// Where the feature of section i was written from: the point features (signals, slow-down
// parts, speed and sign boards) stand at (i - 1) x 50 m, everything else at i x 50 m.
int32_t feature_position(int32_t index, uint8_t kind);

// The line length in metres, as the length record gave it (slot 84 value2).
int32_t line_length(const TrackModel& model);

// A slot in its cleared state.
bool is_empty_slot(const SlotRecord& slot);
// A slot that holds a text and nothing else: a sign-board text. A station always has a
// position or an extent, so such a slot is never a station.
bool is_text_only_slot(const SlotRecord& slot);

// Seconds since midnight as hh:mm:ss: the core's clock_text (compiler/timetable.h).
using compactor::clock_text;
// A chainage in metres as "km 50+550".
std::string chainage_text(int32_t metres);
// The chainage at a position, from the header's chainage references (slots 81 to 83): the
// reference with the greatest start at or before the position, counted on from its
// chainage; references left at 0, 0, 0 are not used. nullopt when the scenario has none,
// or the position lies before the first.
std::optional<int64_t> chainage_at(const TrackModel& model, int64_t position);

struct StationView {
  int slot = 0;
  std::string name;  // UTF-8
  uint8_t kind = 0;
  int32_t position = 0;
  int32_t from = 0;  // extent
  int32_t to = 0;
  int32_t time = 0;  // timetable time in seconds; 0 = none
};

struct SignView {
  int slot = 0;
  int32_t section = 0;
  int32_t position = 0;
  std::string text;  // UTF-8; empty when the slot is out of range
};

// The lowest slot that a sign board refers to (81 when there is none): slots below it
// hold stations, slots from it to 80 sign texts.
int first_sign_slot(const TrackModel& model);
// The non-empty slots below the first sign slot that are not text-only, in slot order.
std::vector<StationView> stations(const TrackModel& model);
// Every sign-board section, in section order, with the text of its slot.
std::vector<SignView> sign_boards(const TrackModel& model);

// One station of the timetable, with the fastest run from the timed station before it.
struct TimetableRow {
  StationView station;
  std::optional<int64_t> chainage;
  std::optional<TimetableLeg> leg;  // from the previous timed station; none for the first and the untimed
  std::string from_name;            // that station's name
};
// The stations in slot order; the legs as the compiler's timetable warnings see them, with
// the realistic run at that planning acceleration when the braked mass gives one.
std::vector<TimetableRow> timetable_rows(const TrackModel& model, double acceleration = kPlanningAcceleration);

// A signal's packed values taken apart.
struct SignalView {
  int sx, s1, s2, s3, rapp, dx, d1, d2, d3;
};
SignalView unpack_signal(const TrackCell& cell);

// One category of a speed board: left speed x 20 + right speed / 5, taken apart; the right
// speed is exact only below 100 km/h.
struct BoardSpeeds {
  int left, right;
};
BoardSpeeds unpack_board_speed(int16_t packed);

// What section i holds, in words ("" for nothing), under the names of the description's
// fields: where a point feature was placed from, the unpacked values of its feature (a
// signal's sx, s1 ... tempo; a slow-down's v, l, f_tt, f_ta, d_v; a speed board's vas ...
// strisced), the station or sign text it refers to, and the markers of section 1.
std::string feature_note(const TrackModel& model, int32_t index, Language language = Language::en);

}  // namespace compactor::inspect
