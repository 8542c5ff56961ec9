#include "reader/reader_view.h"

#include <algorithm>
#include <cstdio>

#include "sources/cp1252.h"

namespace compactor::inspect {

std::string kind_name(uint8_t kind) {
  switch (kind) {
    case kKindNone:
      return "-";
    case kKindSignal:
      return "signal";
    case kKindSlowEnd:
      return "slow-down end";
    case kKindSlowStart:
      return "slow-down start";
    case kKindSlowWarning:
      return "slow-down warning";
    case kKindSlowApproach:
      return "slow-down approach";
    case kKindSpeedBoard:
      return "speed board";
    case kKindStationEnd:
      return "station end";
    case kKindTunnelMarker:
      return "tunnel marker";
    case kKindAbbattimento:
      return "abbattimento";
    case kKindBareAbbattimento:
      return "bare abbattimento";
    case kKindSignBoard:
      return "sign board";
    default:
      return "kind " + std::to_string(kind);
  }
}

int32_t feature_position(int32_t index, uint8_t kind) {
  switch (kind) {
    case kKindSignal:
    case kKindSlowEnd:
    case kKindSlowStart:
    case kKindSlowWarning:
    case kKindSpeedBoard:
    case kKindSignBoard:
      return (index - 1) * kMetresPerSection;
    default:
      return index * kMetresPerSection;
  }
}

int32_t line_length(const TrackModel& model) { return model.slots[kTrainSlot].value2; }

bool is_empty_slot(const SlotRecord& slot) { return slot == SlotRecord{}; }

bool is_text_only_slot(const SlotRecord& slot) {
  SlotRecord without_text = slot;
  without_text.text.clear();
  return !slot.text.empty() && is_empty_slot(without_text);
}

std::string chainage_text(int32_t metres) {
  const int64_t m = metres;
  const int64_t a = m < 0 ? -m : m;
  char buf[48];
  std::snprintf(buf, sizeof buf, "km %s%lld+%03lld", m < 0 ? "-" : "", static_cast<long long>(a / 1000),
                static_cast<long long>(a % 1000));
  return buf;
}

std::optional<int64_t> chainage_at(const TrackModel& model, int64_t position) {
  std::optional<int64_t> best_start;
  std::optional<int64_t> chainage;
  for (int i = kFirstChainageSlot; i <= kLastChainageSlot; ++i) {
    const SlotRecord& r = model.slots[static_cast<size_t>(i)];
    if (r.value1 == 0 && r.value2 == 0 && r.value3 == 0) continue;
    if (r.value1 > position || (best_start && r.value1 <= *best_start)) continue;
    best_start = r.value1;
    chainage = int64_t{r.value2} + (position - r.value1);
  }
  return chainage;
}

int first_sign_slot(const TrackModel& model) {
  int first = kFirstSignSlot + 1;
  for (const TrackCell& c : model.sections) {
    if (c.kind == kKindSignBoard && c.data1 >= 1 && c.data1 <= kFirstSignSlot)
      first = std::min<int>(first, c.data1);
  }
  return first;
}

std::vector<StationView> stations(const TrackModel& model) {
  std::vector<StationView> out;
  const int end = first_sign_slot(model);
  for (int i = 1; i < end; ++i) {
    const SlotRecord& s = model.slots[static_cast<size_t>(i)];
    if (is_empty_slot(s) || is_text_only_slot(s)) continue;
    out.push_back(StationView{i, cp1252_to_utf8(s.text), s.kind, s.value3, s.value1, s.value2, s.value4});
  }
  return out;
}

std::vector<TimetableRow> timetable_rows(const TrackModel& model, double acceleration) {
  const std::vector<StationView> all = stations(model);
  std::vector<TimetableStop> stops;
  std::vector<TimetableRow> rows;
  for (const StationView& s : all) {
    stops.push_back(TimetableStop{s.position, s.time});
    rows.push_back(TimetableRow{s, chainage_at(model, s.position), std::nullopt, {}});
  }
  const std::vector<int32_t> speeds = allowed_speeds(model);
  std::vector<TimetableLeg> legs = timetable_legs(speeds, stops);
  if (const std::optional<RunRates> rates = planning_rates(model, acceleration))
    add_realistic_runs(legs, speeds, stops, *rates);
  for (const TimetableLeg& leg : legs) {
    rows[leg.to].leg = leg;
    rows[leg.to].from_name = all[leg.from].name;
  }
  return rows;
}

std::vector<SignView> sign_boards(const TrackModel& model) {
  std::vector<SignView> out;
  for (int32_t i = 0; i < model.section_count(); ++i) {
    const TrackCell& c = model.sections[static_cast<size_t>(i)];
    if (c.kind != kKindSignBoard) continue;
    SignView v{c.data1, i, feature_position(i, c.kind), {}};
    if (c.data1 >= 0 && c.data1 < kSlotCount)
      v.text = cp1252_to_utf8(model.slots[static_cast<size_t>(c.data1)].text);
    out.push_back(std::move(v));
  }
  return out;
}

SignalView unpack_signal(const TrackCell& c) {
  const int sides = c.data4 % 10;
  return SignalView{sides / 3, c.data1 / 10, c.data2 / 10, c.data3 / 10, c.data4 / 10,
                    sides % 3, c.data1 % 10, c.data2 % 10, c.data3 % 10};
}

BoardSpeeds unpack_board_speed(int16_t packed) { return BoardSpeeds{packed / 20, packed % 20 * 5}; }

namespace {

std::string num(int64_t v) { return std::to_string(v); }

std::string slot_text(const TrackModel& model, int slot) {
  if (slot < 0 || slot >= kSlotCount) return "(no such slot)";
  return cp1252_to_utf8(model.slots[static_cast<size_t>(slot)].text);
}

std::string signal_note(const TrackCell& c) {
  const SignalView s = unpack_signal(c);
  std::string note = "sx " + num(s.sx) + ", s1 " + num(s.s1) + ", s2 " + num(s.s2) + ", s3 " + num(s.s3) +
                     ", rapp " + num(s.rapp) + ", dx " + num(s.dx) + ", d1 " + num(s.d1) + ", d2 " +
                     num(s.d2) + ", d3 " + num(s.d3);
  if (s.sx == 2) note += ", tempo " + num(c.signal_time);
  return note;
}

// One side of a speed board: "left vas 100, vbs 110, vcs 110, strisces 0"; "right none"
// when the side has no speed and no stripe.
std::string board_side(const TrackCell& c, bool left) {
  const int16_t packed[] = {c.data1, c.data2, c.data3};
  const char* names[] = {left ? "vas " : "vad ", left ? "vbs " : "vbd ", left ? "vcs " : "vcd "};
  const int stripes = left ? c.data4 / 10 : c.data4 % 10;
  std::string side = left ? "left " : "right ";
  bool any = stripes != 0;
  for (int k = 0; k < 3; ++k) {
    const BoardSpeeds b = unpack_board_speed(packed[k]);
    const int speed = left ? b.left : b.right;
    any = any || speed != 0;
    side += names[k] + num(speed) + ", ";
  }
  if (!any) return left ? "left none" : "right none";
  return side + (left ? "strisces " : "strisced ") + num(stripes);
}

// The first section from `from` on, in steps of `step`, whose kind is `wanted`; a section of
// kind `stop` (another slow-down) ends the search. -1 when none is found.
int32_t find_kind(const TrackModel& m, int32_t from, int step, uint8_t wanted, uint8_t stop) {
  for (int32_t i = from; i >= 0 && i < m.section_count(); i += step) {
    const uint8_t k = m.sections[static_cast<size_t>(i)].kind;
    if (k == wanted) return i;
    if (k == stop) return -1;
  }
  return -1;
}

std::string speeds(const TrackCell& c) {
  std::string s = "v " + num(c.data1);
  if (c.data2 != 0) s += ", d_v " + num(c.data2);
  return s;
}

std::string slow_start_note(const TrackModel& m, int32_t i) {
  const TrackCell& c = m.section(i);
  const int64_t x = feature_position(i, c.kind);
  std::string note = "v " + num(c.data1);
  const int32_t end = find_kind(m, i + 1, 1, kKindSlowEnd, kKindSlowStart);
  if (end >= 0) note += ", l " + num(feature_position(end, kKindSlowEnd) - x);
  note += ", f_tt " + num(c.data3);
  // The warning board stands 24 sections before the start when x is above 1500; f_ta 1
  // marks the section before it.
  const int32_t board = i - 1200 / kMetresPerSection;
  if (x > 1500 && board >= 1 && m.section(board).kind == kKindSlowWarning)
    note += ", f_ta " + num(m.section(board - 1).kind == kKindSlowApproach ? 1 : 0);
  if (c.data2 != 0) note += ", d_v " + num(c.data2);
  return note;
}

std::string slow_end_note(const TrackModel& m, int32_t i) {
  const TrackCell& c = m.section(i);
  const int32_t start = find_kind(m, i - 1, -1, kKindSlowStart, kKindSlowEnd);
  std::string note = "end of the slow-down";
  if (start >= 0) note += " from " + num(feature_position(start, kKindSlowStart)) + " m";
  return note + ", " + speeds(c) + ", f_tt " + num(c.data3);
}

}  // namespace

std::string feature_note(const TrackModel& model, int32_t index) {
  const TrackCell& c = model.section(index);
  std::string note;
  switch (c.kind) {
    case kKindSignal:
      note = signal_note(c);
      break;
    case kKindSlowStart:
      note = slow_start_note(model, index);
      break;
    case kKindSlowEnd:
      note = slow_end_note(model, index);
      break;
    case kKindSlowWarning:
      note = "warning board of the slow-down at " + num(feature_position(index, c.kind) + 1200) + " m, " +
             speeds(c);
      break;
    case kKindSlowApproach:
      note = "approach mark " + num(c.data1) + " before a slow-down warning board";
      break;
    case kKindSpeedBoard:
      note = board_side(c, true) + "; " + board_side(c, false);
      break;
    case kKindStationEnd:
      note = "end of " + slot_text(model, c.data1) + " (slot " + num(c.data1) + ")";
      break;
    case kKindAbbattimento:
      note = "value " + num(c.data1);
      break;
    case kKindSignBoard:
      note = "slot " + num(c.data1) + ": " + slot_text(model, c.data1);
      break;
    default:
      break;
  }
  if (feature_position(index, c.kind) != index * kMetresPerSection) {
    note = "at " + num(feature_position(index, c.kind)) + " m: " + note;
  }
  if (index == 1) {
    if (!note.empty()) note += "; ";
    note += "marker " + num(c.data1) + ", plain code " + num(c.data2);
  }
  return note;
}

}  // namespace compactor::inspect
