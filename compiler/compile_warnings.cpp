// The warnings of a compile: what the compilers read differently from what the author
// probably meant. Nothing here changes the model.

#include <algorithm>
#include <array>
#include <cstdio>
#include <cctype>
#include <string>

#include "compiler/compile_context.h"
#include "compiler/header_slots.h"
#include "compiler/realistic_run.h"
#include "compiler/timetable.h"
#include "compiler/warnings.h"
#include "sources/conversion.h"
#include "sources/cp1252.h"
#include "sources/record_tables.h"

namespace compactor {
namespace {

// The words a misspelt keyword is compared with: the record tables' own keywords, as the
// program writes them.
template <size_t N>
constexpr std::array<std::string_view, N> written_keywords(const std::array<RecordKeyword, N>& records) {
  std::array<std::string_view, N> out{};
  for (size_t i = 0; i < N; ++i) out[i] = records[i].written;
  return out;
}
constexpr auto kGeneralKeywords = written_keywords(kLineGeneralRecords);
constexpr auto kBodyKeywords = written_keywords(kLineBodyRecords);
constexpr auto kTrainKeywords = written_keywords(kTrainRecords);
constexpr const auto& kLineHeaders = kLineSectionHeaders;
constexpr const auto& kTrainHeaders = kTrainSectionHeaders;
constexpr std::string_view kGeneralHeader[] = {"[generale]"};

std::string trimmed_lower(std::string_view s) {
  const size_t b = s.find_first_not_of(' ');
  if (b == std::string_view::npos) return {};
  const size_t e = s.find_last_not_of(' ');
  std::string out(s.substr(b, e - b + 1));
  for (char& ch : out) ch = static_cast<char>(std::tolower(static_cast<unsigned char>(ch)));
  return out;
}

std::string record_name(const Field& keyword) {
  const std::string_view t = keyword.text;
  const size_t e = t.find_last_not_of(' ');
  return quote_field(e == std::string_view::npos ? t : t.substr(0, e + 1));
}

bool has_letter(std::string_view s) {
  return std::any_of(s.begin(), s.end(),
                     [](char ch) { return std::isalpha(static_cast<unsigned char>(ch)); });
}

}  // namespace

void CompileContext::begin_description(Description which, FieldReader& reader) {
  current = which;
  watching = false;
  quiet_line = 0;
  tab_line = 0;
  reader.set_observer(this);
}

void CompileContext::warn(std::string_view name, const SourcePlace& place, std::string message,
                          std::vector<Diagnostic> notes) {
  found.add_warning(
      Diagnostic{Severity::warning, place, std::move(message), std::string(name), std::move(notes)});
}

void CompileContext::not_a_number(const Field& field) {
  if (!watching) return;
  warn(kWarnNotANumber, place_of(field), quote_field(field.text) + " is not a number; it is read as 0");
}

void CompileContext::tab_in_field(const Field& field, int column) {
  if (!watching || tab_line == field.line) return;
  tab_line = field.line;
  warn(kWarnTabSeparator, SourcePlace{current, field.line, column},
       "a tab used as a separator: only commas and line ends separate fields, and the tab is read as part "
       "of the field");
}

void CompileContext::unmatched_keyword(const Field& field, KeywordPlace where) {
  if (field.line == quiet_line || contains(field.text, "-")) return;
  if (is_section_header(field.text)) {
    const std::string header = trimmed_lower(field.text);
    using Words = std::span<const std::string_view>;
    const Words known = where == KeywordPlace::train           ? Words(kTrainHeaders)
                        : where == KeywordPlace::before_header ? Words(kGeneralHeader)
                                                               : Words(kLineHeaders);
    if (std::find(known.begin(), known.end(), header) != known.end()) return;
    const std::string& near = suggestion(header, known);
    // Before the general header every field is ignored: only a near miss of it is worth a word.
    if (where == KeywordPlace::before_header && near.empty()) return;
    warn(kWarnUnknownSection, place_of(field),
         "unknown section header " + quote_field(field.text) +
             (near.empty() ? "" : "; did you mean '" + near + "'?"));
    return;
  }
  if (where == KeywordPlace::before_header || !has_letter(field.text)) return;
  using Words = std::span<const std::string_view>;
  const Words known = where == KeywordPlace::train          ? Words(kTrainKeywords)
                      : where == KeywordPlace::line_general ? Words(kGeneralKeywords)
                                                            : Words(kBodyKeywords);
  // A curve keyword carries its class digit: compare without digits, suggest with them.
  std::string word = trimmed_lower(field.text);
  std::string digits;
  if (where == KeywordPlace::line_body) {
    std::string letters;
    for (char ch : word) (std::isdigit(static_cast<unsigned char>(ch)) ? digits : letters) += ch;
    word = letters;
  }
  std::string near = suggestion(word, known);
  if (near.rfind("curva", 0) == 0) near += digits;
  quiet_line = field.line;
  warn(kWarnUnknownKeyword, place_of(field),
       "unknown keyword " + quote_field(field.text) + (near.empty() ? "" : "; did you mean '" + near + "'?"));
}

const std::string& CompileContext::suggestion(const std::string& word, std::span<const std::string_view> known) {
  const auto key = std::make_pair(known.data(), word);
  auto it = suggestions_.find(key);
  if (it == suggestions_.end()) it = suggestions_.emplace(key, nearest_word(word, known)).first;
  return it->second;
}

void CompileContext::check_record_layout(FieldReader& reader, const Field& keyword) {
  if (reader.record_fields() == 0) return;
  if (const Field* later = reader.record_later_field()) {
    quiet_line = reader.last().line;
    warn(kWarnRunOnRecord, place_of(*later),
         "the record " + record_name(keyword) + " of line " + std::to_string(keyword.line) +
             " runs on to this line: it reads " + std::to_string(reader.record_fields()) +
             " fields after its keyword, and its line has " +
             std::to_string(reader.record_fields_on_keyword_line()));
    return;
  }
  if (const int column = reader.rest_of_line_column(); column > 0) {
    quiet_line = reader.last().line;
    warn(kWarnExtraFields, SourcePlace{current, reader.last().line, column},
         "fields left over after the record " + record_name(keyword) + ", which reads " +
             std::to_string(reader.record_fields()) + "; they are read as keywords");
  }
}

void CompileContext::check_rounding(const Field& field, int64_t position, std::string_view what) {
  if (position % kMetresPerSection == 0) return;
  int64_t rounded = 0;
  try {
    rounded = int64_t{div_round(position, kMetresPerSection)} * kMetresPerSection;
  } catch (const ConversionFault&) {
    return;
  }
  warn(kWarnRoundedPosition, place_of(field),
       std::string(what) + " " + std::to_string(position) + " m is not a multiple of 50: rounded to " +
           std::to_string(rounded) + " m");
}

void CompileContext::check_beyond(const Field& field, int64_t position, const Field& record) {
  const int32_t length = model.slot(kTrainSlot).value2;
  if (position <= length) return;
  std::vector<Diagnostic> notes;
  if (found.length_place)
    notes.push_back(Diagnostic{Severity::note,
                               found.length_place,
                               "the line's length is " + std::to_string(length) + ", read here",
                               "",
                               {}});
  warn(kWarnBeyondLine, place_of(field),
       "the record " + record_name(record) + " at " + std::to_string(position) +
           " m lies beyond the line's end at " + std::to_string(length) + " m",
       std::move(notes));
}

void CompileContext::placed(int64_t section) {
  found.placed_by[static_cast<int32_t>(section)] = place_of(keyword);
}

void CompileContext::passed_comment(const Field& field) {
  if (!watching || field.ends_line) return;
  quiet_line = field.line;
  warn(kWarnCommentComma, SourcePlace{current, field.line, field.column + static_cast<int>(field.text.size())},
       "a comment ends at a comma: the rest of the line is read as fields, from here on; write the comment "
       "without a comma");
}

void CompileContext::check_time_fields(const Field (&fields)[3], const int64_t (&values)[3]) {
  if (values[0] == 0 && values[1] == 0 && values[2] == 0) return;  // no time
  static constexpr std::pair<const char*, int64_t> kParts[] = {{"hours", 23}, {"minutes", 59}, {"seconds", 59}};
  char shown[80];
  std::snprintf(shown, sizeof shown, "%lld:%02lld:%02lld", static_cast<long long>(values[0]),
                static_cast<long long>(values[1]), static_cast<long long>(values[2]));
  for (int k = 0; k < 3; ++k) {
    if (values[k] >= 0 && values[k] <= kParts[k].second) continue;
    warn(kWarnTimeOfDay, place_of(fields[k]),
         std::string("the timetable time ") + shown + " has " + kParts[k].first + " " + std::to_string(values[k]) +
             ", outside 0 to " + std::to_string(kParts[k].second));
  }
}

namespace {

std::string station_name(const std::string& cp1252) {
  const size_t e = cp1252.find_last_not_of(' ');
  return printable(cp1252_to_utf8(e == std::string::npos ? cp1252 : cp1252.substr(0, e + 1)));
}

std::string km_text(int64_t metres) {
  char buf[48];
  std::snprintf(buf, sizeof buf, "%.1f km", static_cast<double>(metres) / 1000.0);
  return buf;
}

}  // namespace

void CompileContext::check_timetable(std::span<const TimedStation> stations,
                                     std::optional<SourcePlace> clock_place) {
  std::vector<TimetableStop> stops;
  for (const TimedStation& s : stations) stops.push_back(TimetableStop{s.position, s.time});
  const std::vector<int32_t> speeds = allowed_speeds(model);
  auto at = [&](const TimedStation& s) { return station_name(s.name) + " at " + clock_text(s.time); };
  for (const TimedStation& s : stations) {
    if (!s.timed()) continue;
    const int64_t clock = clock_seconds(model);
    if (s.time < clock) {
      std::vector<Diagnostic> notes;
      if (clock_place)
        notes.push_back(Diagnostic{Severity::note, clock_place, "the clock is set here", "", {}});
      warn(kWarnTimetableClock, s.time_place,
           "the first timetable time, " + at(s) + ", comes before the clock starts at " + clock_text(clock) +
               ": the train is late before it starts",
           std::move(notes));
    }
    break;
  }
  std::vector<TimetableLeg> legs = timetable_legs(speeds, stops);
  const std::optional<double> acceleration = files.realistic_acceleration();
  const std::optional<RunRates> rates = acceleration ? planning_rates(model, *acceleration) : std::nullopt;
  if (rates) add_realistic_runs(legs, speeds, stops, *rates);
  for (const TimetableLeg& leg : legs) {
    const TimedStation& a = stations[leg.from];
    const TimedStation& b = stations[leg.to];
    std::vector<Diagnostic> notes{
        Diagnostic{Severity::note, a.time_place, station_name(a.name) + "'s time is here", "", {}}};
    switch (leg.verdict) {
      case LegVerdict::ok:
        if (leg.realistic && leg.given < *leg.realistic_whole())
          warn(kWarnTimetableRealistic, b.time_place,
               at(b) + " is " + km_text(int64_t{b.position} - a.position) + " after " + at(a) +
                   ": a realistic run, " + run_rates_text(*rates) + ", takes " +
                   duration_text(*leg.realistic_whole()) + "; the timetable gives " + duration_text(leg.given),
               std::move(notes));
        break;
      case LegVerdict::too_tight:
        warn(kWarnTimetable, b.time_place,
             at(b) + " is " + km_text(int64_t{b.position} - a.position) + " after " + at(a) +
                 ": at the speed limits the train needs at least " + duration_text(leg.least) +
                 "; the timetable gives " + duration_text(leg.given),
             std::move(notes));
        break;
      case LegVerdict::backwards:
        warn(kWarnTimetableOrder, b.time_place,
             at(b) + " comes " + duration_text(-leg.given) + " before " + at(a) +
                 ", the timed station before it: the times go backwards",
             std::move(notes));
        break;
      case LegVerdict::blocked:
        warn(kWarnSpeedZero, b.time_place,
             "the speed limit is 0 km/h from " + std::to_string(*leg.bound.stopped_from) + " m to " +
                 std::to_string(*leg.bound.stopped_to) + " m, between " + station_name(a.name) + " and " +
                 station_name(b.name) + ": no train reaches " + at(b),
             std::move(notes));
        break;
    }
  }
}

void CompileContext::watch_reserved() {
  if (!model.sections_created || model.section_count() < 2) return;
  const TrackCell& first = model.sections[1];
  if (first.data1 != 0 && !found.reserved_data1) found.reserved_data1 = place_of(keyword);
  if (first.data2 != 0 && !found.reserved_data2) found.reserved_data2 = place_of(keyword);
}

}  // namespace compactor
