#include "reader/reader_tables.h"

#include <algorithm>
#include <charconv>
#include <set>
#include <vector>

#include "sources/cp1252.h"
#include "reader/reader_view.h"

namespace compactor::inspect {
namespace {

// Width on screen of UTF-8 text: one column per character.
size_t characters(const std::string& s);

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
  std::vector<std::vector<std::string>> rows_;
  std::vector<bool> right_;
};

std::string num(int64_t v) { return std::to_string(v); }

// The header values, a label and its value a line, the values in one column.
class HeaderLines {
 public:
  void add(std::string label, std::string value) { lines_.emplace_back(std::move(label), std::move(value)); }
  void print(std::ostream& out) const {
    size_t width = 16;
    for (const auto& [label, value] : lines_) width = std::max(width, characters(label) + 1);
    for (const auto& [label, value] : lines_)
      out << "  " << label << std::string(width - characters(label), ' ') << value << '\n';
  }

 private:
  std::vector<std::pair<std::string, std::string>> lines_;
};

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

void write_header(std::ostream& out, const TrackModel& m, Language l) {
  const auto& s = m.slots;
  out << say(l, MessageId::table_scenario, m.line_name, m.train_number) << '\n';
  HeaderLines h;
  h.add(say(l, MessageId::table_line_length), say(l, MessageId::table_line_length_value, num(line_length(m)),
                                                  num(m.section_count()), num(m.section_count() - 1)));
  if (m.plot_created)
    h.add(say(l, MessageId::table_route_plot),
          say(l, MessageId::table_route_plot_value, num(m.plot_limit + 1), num(m.plot_limit)));
  for (int i = kChainageSlotFirst; i < kChainageSlotFirst + 3; ++i) {
    const SlotRecord& c = s[static_cast<size_t>(i)];
    h.add(i == kChainageSlotFirst ? say(l, MessageId::table_chainage) : "",
          say(l, MessageId::table_chainage_value, num(i), num(c.value1), chainage_text(c.value2),
              num(c.value3)));
  }
  const SlotRecord& scene = s[kSceneSlot];
  h.add(say(l, MessageId::table_scenery),
        "uno " + num(scene.value1) + ", due " + num(scene.value3) + ", tre " + num(scene.value2));
  const SlotRecord& cab = s[kCabSlot];
  h.add(say(l, MessageId::table_cab),
        cab.value2 != 0
            ? say(l, MessageId::table_cab_value, num(cab.value3), num(cab.value1), num(cab.value2))
        : cab.value1 != 0 ? say(l, MessageId::table_cab_none_first, num(cab.value1))
                          : say(l, MessageId::table_cab_none));
  const SlotRecord& train = s[kTrainSlot];
  h.add(say(l, MessageId::table_train),
        say(l, MessageId::table_train_value, num(train.value3), num(train.value1)));
  h.add(say(l, MessageId::table_sand), num(cab.short1));
  h.add(say(l, MessageId::table_clock),
        clock_text(int64_t{cab.short3} * 3600 + int64_t{cab.short4} * 60 + cab.short5));
  const std::string no_section = say(l, MessageId::table_no_section_1);
  const std::string section_marker = m.section_count() > 1 ? num(m.sections[1].data1) : no_section;
  const std::string plain_code = m.section_count() > 1 ? num(m.sections[1].data2) : no_section;
  h.add(say(l, MessageId::table_markers),
        say(l, MessageId::table_markers_value, num(scene.short1), section_marker));
  h.add(say(l, MessageId::table_codes), say(l, MessageId::table_codes_value, num(scene.value4), plain_code));
  h.print(out);
}

std::string group(int a, int b, int c) { return num(a) + "," + num(b) + "," + num(c); }

// The station record's fields under the names of the train description's documentation.
void write_stations(std::ostream& out, const TrackModel& m, Language l) {
  TextTable t(
      {"slot", say(l, MessageId::column_name), say(l, MessageId::column_kind),
       say(l, MessageId::column_position), say(l, MessageId::column_from), say(l, MessageId::column_to),
       say(l, MessageId::column_time), "mode", "param5", "short_platform", "group1", "group2", "param13"},
      {true, false, true, true, true, true, false, true, true, true, false, false, true});
  for (const StationView& v : stations(m)) {
    const SlotRecord& s = m.slots[static_cast<size_t>(v.slot)];
    t.add({num(v.slot), v.name, num(v.kind), num(v.position), num(v.from), num(v.to),
           v.time == 0 ? "-" : clock_text(v.time), num(s.mode), num(s.byte4), num(s.byte3),
           group(s.short1, s.short2, s.byte1), group(s.short3, s.short4, s.short5), num(s.byte2)});
  }
  out << "\n" << say(l, MessageId::table_stations) << "\n";
  t.print(out);
}

void write_signs(std::ostream& out, const TrackModel& m, Language l) {
  TextTable t({"slot", say(l, MessageId::column_section), say(l, MessageId::column_at),
               say(l, MessageId::column_text)},
              {true, true, true, false});
  for (const SignView& v : sign_boards(m)) t.add({num(v.slot), num(v.section), num(v.position), v.text});
  out << "\n" << say(l, MessageId::table_signs) << "\n";
  t.print(out);
}

void write_other_slots(std::ostream& out, const TrackModel& m, Language l) {
  std::set<int> known;
  for (const StationView& v : stations(m)) known.insert(v.slot);
  for (const SignView& v : sign_boards(m)) known.insert(v.slot);
  TextTable t({"slot", say(l, MessageId::column_kind), "value1", "value2", "value3", "mode",
               say(l, MessageId::column_text), "short1", "short2", "short3", "short4", "short5", "byte1",
               "byte2", "byte3", "byte4", "value4"},
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
  out << "\n" << say(l, MessageId::table_other_slots) << "\n";
  t.print(out);
}

size_t characters(const std::string& s) {
  return static_cast<size_t>(std::count_if(s.begin(), s.end(), [](char c) { return (c & 0xC0) != 0x80; }));
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

std::optional<Message> section_range_problem(const SectionRange& range, int32_t section_count) {
  if (range.from && range.to && *range.from > *range.to)
    return msg(MessageId::range_reversed, num(*range.from), num(*range.to));
  if (range.from && *range.from >= section_count) return msg(MessageId::range_beyond, num(section_count - 1));
  return std::nullopt;
}

void write_sections_table(std::ostream& out, const TrackModel& m, const SectionRange& range, Language l) {
  TextTable t(
      {say(l, MessageId::column_index), say(l, MessageId::column_start), say(l, MessageId::column_kind),
       "data1", "data2", "data3", "data4", "signal_time", "approach_mark", "mountain_type",
       say(l, MessageId::column_speed), say(l, MessageId::column_gradient),
       say(l, MessageId::column_adhesion), say(l, MessageId::column_note)},
      {true, true, false, true, true, true, true, true, true, true, true, true, true, false});
  const int32_t last = m.section_count() - 1;
  const int32_t to = std::min(range.to.value_or(last), last);
  for (int32_t i = range.from.value_or(0); i <= to; ++i) {
    const TrackCell& c = m.sections[static_cast<size_t>(i)];
    t.add({num(i), num(int64_t{i} * kMetresPerSection), kind_name(c.kind, l), num(c.data1), num(c.data2),
           num(c.data3), num(c.data4), num(c.signal_time), num(c.approach_mark), num(c.mountain_type),
           num(c.speed_code * 5), c.gradient_code == 0 ? "-" : num(c.gradient_code - 100), num(c.adhesion),
           feature_note(m, i, l)});
  }
  out << say(l, MessageId::table_sections) << "\n";
  t.print(out);
}

void write_slots_table(std::ostream& out, const TrackModel& m, Language l) {
  write_header(out, m, l);
  write_stations(out, m, l);
  write_signs(out, m, l);
  write_other_slots(out, m, l);
}

namespace {

std::string verdict_text(LegVerdict v, Language l) {
  switch (v) {
    case LegVerdict::ok:
      return "";
    case LegVerdict::too_tight:
      return say(l, MessageId::verdict_too_tight);
    case LegVerdict::backwards:
      return say(l, MessageId::verdict_backwards);
    case LegVerdict::blocked:
      return say(l, MessageId::verdict_blocked);
  }
  return "";
}

}  // namespace

void write_timetable_table(std::ostream& out, const TrackModel& model, double acceleration, Language l) {
  static const std::string kNone = "\xe2\x80\x94";  // —
  const std::optional<RunRates> rates = planning_rates(model, acceleration);
  out << say(l, MessageId::table_timetable) << "\n"
      << render(Message{MessageId::table_timetable_realistic,
                        {},
                        {rates ? run_rates_message(*rates) : msg(MessageId::table_no_realistic_run)}},
                l)
      << "\n";
  TextTable t(
      {say(l, MessageId::column_station), say(l, MessageId::column_position),
       say(l, MessageId::column_chainage), say(l, MessageId::column_time), say(l, MessageId::column_fastest),
       say(l, MessageId::column_realistic), say(l, MessageId::column_given), say(l, MessageId::column_margin),
       say(l, MessageId::column_note)},
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
    row.push_back(r.leg ? verdict_text(r.leg->verdict, l) : "");
    t.add(std::move(row));
  }
  t.print(out);
  out << say(l, MessageId::table_clock_value, clock_text(clock_seconds(model))) << '\n';
}

}  // namespace compactor::inspect
