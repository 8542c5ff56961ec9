#include "reader/reader_view.h"

#include <algorithm>
#include <cstdio>

#include "sources/cp1252.h"

namespace compactor::inspect {

std::string kind_name(uint8_t kind, Language language) {
  MessageId id;
  switch (kind) {
    case kKindNone:
      return "-";
    case kKindSignal:
      id = MessageId::kind_signal;
      break;
    case kKindSlowEnd:
      id = MessageId::kind_slow_end;
      break;
    case kKindSlowStart:
      id = MessageId::kind_slow_start;
      break;
    case kKindSlowWarning:
      id = MessageId::kind_slow_warning;
      break;
    case kKindSlowApproach:
      id = MessageId::kind_slow_approach;
      break;
    case kKindSpeedBoard:
      id = MessageId::kind_speed_board;
      break;
    case kKindStationEnd:
      id = MessageId::kind_station_end;
      break;
    case kKindTunnelMarker:
      id = MessageId::kind_tunnel_marker;
      break;
    case kKindAbbattimento:
      id = MessageId::kind_abbattimento;
      break;
    case kKindBareAbbattimento:
      id = MessageId::kind_bare_abbattimento;
      break;
    case kKindSignBoard:
      id = MessageId::kind_sign_board;
      break;
    default:
      return say(language, MessageId::kind_number, std::to_string(kind));
  }
  return say(language, id);
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

std::string slot_text(const TrackModel& model, int slot, Language l) {
  if (slot < 0 || slot >= kSlotCount) return say(l, MessageId::note_no_such_slot);
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
std::string board_side(const TrackCell& c, bool left, Language l) {
  const int16_t packed[] = {c.data1, c.data2, c.data3};
  const char* names[] = {left ? "vas " : "vad ", left ? "vbs " : "vbd ", left ? "vcs " : "vcd "};
  const int stripes = left ? c.data4 / 10 : c.data4 % 10;
  std::string side;
  bool any = stripes != 0;
  for (int k = 0; k < 3; ++k) {
    const BoardSpeeds b = unpack_board_speed(packed[k]);
    const int speed = left ? b.left : b.right;
    any = any || speed != 0;
    side += names[k] + num(speed) + ", ";
  }
  if (!any) return say(l, left ? MessageId::note_left_none : MessageId::note_right_none);
  return say(l, left ? MessageId::note_left : MessageId::note_right,
             side + (left ? "strisces " : "strisced ") + num(stripes));
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

std::string slow_end_note(const TrackModel& m, int32_t i, Language l) {
  const TrackCell& c = m.section(i);
  const int32_t start = find_kind(m, i - 1, -1, kKindSlowStart, kKindSlowEnd);
  const std::string values = speeds(c) + ", f_tt " + num(c.data3);
  if (start < 0) return say(l, MessageId::note_slow_end, values);
  return say(l, MessageId::note_slow_end_from, num(feature_position(start, kKindSlowStart)), values);
}

}  // namespace

std::string feature_note(const TrackModel& model, int32_t index, Language l) {
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
      note = slow_end_note(model, index, l);
      break;
    case kKindSlowWarning:
      note = say(l, MessageId::note_slow_warning, num(feature_position(index, c.kind) + 1200), speeds(c));
      break;
    case kKindSlowApproach:
      note = say(l, MessageId::note_slow_approach, num(c.data1));
      break;
    case kKindSpeedBoard:
      note = board_side(c, true, l) + "; " + board_side(c, false, l);
      break;
    case kKindStationEnd:
      note = say(l, MessageId::note_station_end, slot_text(model, c.data1, l), num(c.data1));
      break;
    case kKindAbbattimento:
      note = say(l, MessageId::note_value, num(c.data1));
      break;
    case kKindSignBoard:
      note = "slot " + num(c.data1) + ": " + slot_text(model, c.data1, l);
      break;
    default:
      break;
  }
  if (feature_position(index, c.kind) != index * kMetresPerSection)
    note = say(l, MessageId::note_placed_at, num(feature_position(index, c.kind)), note);
  if (index == 1) {
    if (!note.empty()) note += "; ";
    note += say(l, MessageId::note_markers, num(c.data1), num(c.data2));
  }
  return note;
}

}  // namespace compactor::inspect
