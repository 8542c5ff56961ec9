#include "reader/reader_tables.h"

#include <algorithm>
#include <charconv>
#include <set>
#include <vector>

#include "sources/cp1252.h"
#include "reader/reader_view.h"

namespace compactor::inspect {
namespace {

// Columns of text, each as wide as its widest cell; numbers are aligned to the right.
class TextTable {
 public:
  TextTable(std::vector<std::string> header, std::vector<bool> right)
      : rows_{std::move(header)}, right_(std::move(right)) {}
  void add(std::vector<std::string> row) { rows_.push_back(std::move(row)); }

  void print(std::ostream& out) const {
    std::vector<size_t> width(right_.size(), 0);
    for (const auto& r : rows_)
      for (size_t k = 0; k < r.size(); ++k) width[k] = std::max(width[k], characters(r[k]));
    for (const auto& r : rows_) {
      std::string line;
      for (size_t k = 0; k < r.size(); ++k) {
        const std::string pad(width[k] - characters(r[k]), ' ');
        const bool last = k + 1 == r.size();
        if (k > 0) line += "  ";
        line += right_[k] ? pad + r[k] : (last ? r[k] : r[k] + pad);
      }
      line.erase(line.find_last_not_of(' ') + 1);
      out << line << '\n';
    }
  }

 private:
  // Width on screen of UTF-8 text: one column per character.
  static size_t characters(const std::string& s) {
    return static_cast<size_t>(std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
  }
  std::vector<std::vector<std::string>> rows_;
  std::vector<bool> right_;
};

std::string num(int64_t v) { return std::to_string(v); }

void header_line(std::ostream& out, const std::string& label, const std::string& value) {
  out << "  " << label << std::string(label.size() < 16 ? 16 - label.size() : 1, ' ') << value << '\n';
}

// A header slot with the fields shown by meaning cleared: what is left has no meaning here.
SlotRecord unexplained_fields(const SlotRecord& s, int index) {
  SlotRecord r = s;
  r.value1 = r.value2 = r.value3 = 0;
  if (index == kSceneSlot || index == kCabSlot) {
    r.text.clear();
    r.short1 = 0;
  }
  if (index == kSceneSlot) r.value4 = 0;
  if (index == kCabSlot) r.short3 = r.short4 = r.short5 = 0;
  return r;
}

void write_header(std::ostream& out, const TrackModel& m) {
  const auto& s = m.slots;
  out << "Scenario " << m.line_name << ", train " << m.train_number << '\n';
  header_line(out, "line length",
              num(line_length(m)) + " m; " + num(m.section_count()) + " sections, 0 to " +
                  num(m.section_count() - 1));
  if (m.plot_created)
    header_line(out, "route plot", num(m.plot_limit + 1) + " points, 0 to " + num(m.plot_limit) + " m");
  for (int i = kChainageSlotFirst; i < kChainageSlotFirst + 3; ++i) {
    const SlotRecord& c = s[static_cast<size_t>(i)];
    header_line(out, i == kChainageSlotFirst ? "chainage" : "",
                "slot " + num(i) + ": from " + num(c.value1) + " m, " + chainage_text(c.value2) + ", flag " +
                    num(c.value3));
  }
  const SlotRecord& scene = s[kSceneSlot];
  header_line(out, "scenery",
              "uno " + num(scene.value1) + ", due " + num(scene.value3) + ", tre " + num(scene.value2));
  const SlotRecord& cab = s[kCabSlot];
  header_line(out, "cab signalling",
              cab.value2 == 0
                  ? "none" + (cab.value1 != 0 ? " (second position 0, first " + num(cab.value1) + " m)" : "")
                  : num(cab.value3) + " codes, from " + num(cab.value1) + " m to " + num(cab.value2) + " m");
  const SlotRecord& train = s[kTrainSlot];
  header_line(out, "train", num(train.value3) + " vehicles, braked mass " + num(train.value1) + " %");
  header_line(out, "sand", num(cab.short1));
  header_line(out, "clock", clock_text(int64_t{cab.short3} * 3600 + int64_t{cab.short4} * 60 + cab.short5));
  const std::string section_marker = m.section_count() > 1 ? num(m.sections[1].data1) : "(no section 1)";
  const std::string plain_code = m.section_count() > 1 ? num(m.sections[1].data2) : "(no section 1)";
  header_line(out, "markers", "slot 85 short1 " + num(scene.short1) + ", section 1 data1 " + section_marker);
  header_line(
      out, "scenario codes",
      "weighted " + num(scene.value4) + " (slot 85 value4), plain " + plain_code + " (section 1 data2)");
}

std::string group(int a, int b, int c) { return num(a) + "," + num(b) + "," + num(c); }

// The station record's fields under the names of the train description's documentation.
void write_stations(std::ostream& out, const TrackModel& m) {
  TextTable t({"slot", "name", "kind", "position", "from", "to", "time", "mode", "param5", "short_platform",
               "group1", "group2", "param13"},
              {true, false, true, true, true, true, false, true, true, true, false, false, true});
  for (const StationView& v : stations(m)) {
    const SlotRecord& s = m.slots[static_cast<size_t>(v.slot)];
    t.add({num(v.slot), v.name, num(v.kind), num(v.position), num(v.from), num(v.to),
           v.time == 0 ? "-" : clock_text(v.time), num(s.mode), num(s.byte4), num(s.byte3),
           group(s.short1, s.short2, s.byte1), group(s.short3, s.short4, s.short5), num(s.byte2)});
  }
  out << "\nStations (positions and extents in metres)\n";
  t.print(out);
}

void write_signs(std::ostream& out, const TrackModel& m) {
  TextTable t({"slot", "section", "at", "text"}, {true, true, true, false});
  for (const SignView& v : sign_boards(m)) t.add({num(v.slot), num(v.section), num(v.position), v.text});
  out << "\nSign-board texts (at: metres)\n";
  t.print(out);
}

void write_other_slots(std::ostream& out, const TrackModel& m) {
  std::set<int> known;
  for (const StationView& v : stations(m)) known.insert(v.slot);
  for (const SignView& v : sign_boards(m)) known.insert(v.slot);
  TextTable t({"slot", "kind", "value1", "value2", "value3", "mode", "text", "short1", "short2", "short3",
               "short4", "short5", "byte1", "byte2", "byte3", "byte4", "value4"},
              {true, true, true, true, true, true, false, true, true, true, true, true, true, true, true,
               true, true});
  bool any = false;
  for (int i = 0; i < kSlotCount; ++i) {
    const SlotRecord& s = m.slots[static_cast<size_t>(i)];
    const bool header = i >= kChainageSlotFirst;
    if (known.count(i) != 0 || is_empty_slot(header ? unexplained_fields(s, i) : s)) continue;
    any = true;
    t.add({num(i), num(s.kind), num(s.value1), num(s.value2), num(s.value3), num(s.mode),
           cp1252_to_utf8(s.text), num(s.short1), num(s.short2), num(s.short3), num(s.short4), num(s.short5),
           num(s.byte1), num(s.byte2), num(s.byte3), num(s.byte4), num(s.value4)});
  }
  if (!any) return;
  out << "\nOther slots (not a station, not the text of a sign board, or header fields without a meaning)\n";
  t.print(out);
}

bool parse_index(std::string_view text, std::optional<int32_t>& out) {
  if (text.empty()) return true;
  int32_t v = 0;
  const auto [end, ec] = std::from_chars(text.data(), text.data() + text.size(), v);
  if (ec != std::errc() || end != text.data() + text.size() || v < 0) return false;
  out = v;
  return true;
}

}  // namespace

std::optional<SectionRange> parse_section_range(const std::string& text) {
  const size_t colon = text.find(':');
  SectionRange r;
  if (colon == std::string::npos) {  // one section
    if (text.empty() || !parse_index(text, r.from)) return std::nullopt;
    r.to = r.from;
    return r;
  }
  const std::string_view all(text);
  if (!parse_index(all.substr(0, colon), r.from) || !parse_index(all.substr(colon + 1), r.to))
    return std::nullopt;
  return r;
}

std::optional<std::string> section_range_problem(const SectionRange& range, int32_t section_count) {
  if (range.from && range.to && *range.from > *range.to)
    return num(*range.from) + " is after " + num(*range.to);
  if (range.from && *range.from >= section_count)
    return "the scenario has sections 0 to " + num(section_count - 1);
  return std::nullopt;
}

void write_sections_table(std::ostream& out, const TrackModel& m, const SectionRange& range) {
  TextTable t({"index", "start", "kind", "data1", "data2", "data3", "data4", "signal_time", "approach_mark",
               "mountain_type", "speed", "gradient", "adhesion", "note"},
              {true, true, false, true, true, true, true, true, true, true, true, true, true, false});
  const int32_t last = m.section_count() - 1;
  const int32_t to = std::min(range.to.value_or(last), last);
  for (int32_t i = range.from.value_or(0); i <= to; ++i) {
    const TrackCell& c = m.sections[static_cast<size_t>(i)];
    t.add({num(i), num(int64_t{i} * kMetresPerSection), kind_name(c.kind), num(c.data1), num(c.data2),
           num(c.data3), num(c.data4), num(c.signal_time), num(c.approach_mark), num(c.mountain_type),
           num(c.speed_code * 5), c.gradient_code == 0 ? "-" : num(c.gradient_code - 100), num(c.adhesion),
           feature_note(m, i)});
  }
  out << "Sections (start: metres; speed: km/h; gradient: per mille)\n"
         "A point feature (signal, slow-down part, speed or sign board) written at metre p is placed in the\n"
         "section after that metre, p / 50 + 1: its row starts 50 m after p, and its note keeps p.\n";
  t.print(out);
}

void write_slots_table(std::ostream& out, const TrackModel& m) {
  write_header(out, m);
  write_stations(out, m);
  write_signs(out, m);
  write_other_slots(out, m);
}

static std::string verdict_text(LegVerdict v) {
  switch (v) {
    case LegVerdict::ok:
      return "";
    case LegVerdict::too_tight:
      return "too tight";
    case LegVerdict::backwards:
      return "times backwards";
    case LegVerdict::blocked:
      return "speed 0 on the way";
  }
  return "";
}

void write_timetable_table(std::ostream& out, const TrackModel& model, double acceleration) {
  static const std::string kNone = "\xe2\x80\x94";  // —
  out << "Timetable: the fastest run from the timed station before, at the speed limits lowered by the\n"
         "slow-downs, with no acceleration, no braking and no stop (a lower bound for any train)\n";
  const std::optional<RunRates> rates = planning_rates(model, acceleration);
  out << "and the realistic run, "
      << (rates ? run_rates_text(*rates) : "which a braked mass of 0 % or less does not give") << "\n";
  TextTable t({"station", "position", "chainage", "time", "fastest", "realistic", "given", "margin", "note"},
              {false, true, true, true, true, true, true, true, false});
  for (const TimetableRow& r : timetable_rows(model, acceleration)) {
    const StationView& s = r.station;
    std::vector<std::string> row{s.name, num(s.position) + " m",
                                 r.chainage ? chainage_text(static_cast<int32_t>(*r.chainage)) : kNone,
                                 s.time != 0 ? clock_text(s.time) : kNone};
    if (r.leg && !r.leg->bound.blocked()) {
      row.push_back(duration_text(r.leg->least));
      row.push_back(r.leg->realistic ? duration_text(*r.leg->realistic_whole()) : kNone);
      row.push_back(duration_text(r.leg->given));
      row.push_back(duration_text(r.leg->given - r.leg->least));
    } else if (r.leg) {
      row.insert(row.end(), {kNone, kNone, duration_text(r.leg->given), kNone});
    } else {
      row.insert(row.end(), {kNone, kNone, kNone, kNone});
    }
    row.push_back(r.leg ? verdict_text(r.leg->verdict) : "");
    t.add(std::move(row));
  }
  t.print(out);
  const int64_t clock = clock_seconds(model);
  out << "clock " << clock_text(clock) << '\n';
}

}  // namespace compactor::inspect
