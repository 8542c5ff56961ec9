#include "tools/scenario_reader/reader_view.h"

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

std::string clock_text(int64_t seconds) {
  const char* sign = seconds < 0 ? "-" : "";
  const int64_t s = seconds < 0 ? -seconds : seconds;
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s%02lld:%02lld:%02lld", sign, static_cast<long long>(s / 3600),
                static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
  return buf;
}

std::string chainage_text(int32_t metres) {
  const int64_t m = metres;
  const int64_t a = m < 0 ? -m : m;
  char buf[48];
  std::snprintf(buf, sizeof buf, "km %s%lld+%03lld", m < 0 ? "-" : "", static_cast<long long>(a / 1000),
                static_cast<long long>(a % 1000));
  return buf;
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
    if (is_empty_slot(s)) continue;
    out.push_back(StationView{i, cp1252_to_utf8(s.text), s.kind, s.value3, s.value1, s.value2, s.value4});
  }
  return out;
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

std::string board_side(int left, int right) {
  return std::to_string(left) + "/" + (right == 0 ? std::string("-") : std::to_string(right));
}

std::string slot_text(const TrackModel& model, int slot) {
  if (slot < 0 || slot >= kSlotCount) return "(no such slot)";
  return cp1252_to_utf8(model.slots[static_cast<size_t>(slot)].text);
}

std::string slow_down_values(const TrackCell& c, bool with_f_tt) {
  std::string s = "v " + std::to_string(c.data1);
  if (with_f_tt) s += ", f_tt " + std::to_string(c.data3);
  if (c.data2 != 0) s += ", d_v " + std::to_string(c.data2);
  return s;
}

}  // namespace

std::string feature_note(const TrackModel& model, int32_t index) {
  const TrackCell& c = model.section(index);
  std::string note;
  switch (c.kind) {
    case kKindSignal: {
      const SignalView s = unpack_signal(c);
      char buf[96];
      std::snprintf(buf, sizeof buf, "sx %d: %d,%d,%d  dx %d: %d,%d,%d  rapp %d", s.sx, s.s1, s.s2, s.s3,
                    s.dx, s.d1, s.d2, s.d3, s.rapp);
      note = buf;
      if (c.signal_time != 0) note += "  tempo " + std::to_string(c.signal_time);
      break;
    }
    case kKindSlowEnd:
    case kKindSlowStart:
      note = slow_down_values(c, true);
      break;
    case kKindSlowWarning:
      note = slow_down_values(c, false);
      break;
    case kKindSlowApproach:
      note = "order " + std::to_string(c.data1);
      break;
    case kKindSpeedBoard: {
      const char* names[] = {"A ", " B ", " C "};
      const int16_t packed[] = {c.data1, c.data2, c.data3};
      for (int k = 0; k < 3; ++k) {
        const BoardSpeeds b = unpack_board_speed(packed[k]);
        note += names[k] + board_side(b.left, b.right);
      }
      note += ", stripes " + std::to_string(c.data4 / 10) + "/" + std::to_string(c.data4 % 10);
      break;
    }
    case kKindStationEnd:
      note = "end of " + slot_text(model, c.data1) + " (slot " + std::to_string(c.data1) + ")";
      break;
    case kKindAbbattimento:
      note = "value " + std::to_string(c.data1);
      break;
    case kKindSignBoard:
      note = "slot " + std::to_string(c.data1) + ": " + slot_text(model, c.data1);
      break;
    default:
      break;
  }
  if (feature_position(index, c.kind) != index * kMetresPerSection) {
    note = "at " + std::to_string(feature_position(index, c.kind)) + " m: " + note;
  }
  if (index == 1) {
    if (!note.empty()) note += "; ";
    note += "marker " + std::to_string(c.data1) + ", plain code " + std::to_string(c.data2);
  }
  return note;
}

}  // namespace compactor::inspect
