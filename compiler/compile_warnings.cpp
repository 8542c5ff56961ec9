// The warnings of a compile: what the compilers read differently from what the author
// probably meant. Nothing here changes the model.

#include <algorithm>
#include <array>
#include <cctype>
#include <cstdio>
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

void CompileContext::warn(std::string_view name, const SourcePlace& place, Message message,
                          std::vector<Diagnostic> notes, std::vector<Fix> fixes) {
  if (found.warnings.size() >= CompileDiagnostics::kWarningLimit) {
    ++found.warnings_dropped;  // not even its place is worked out
    return;
  }
  Diagnostic d;
  d.severity = Severity::warning;
  d.code = std::string(name);
  d.warning = std::string(name);
  d.message = std::move(message);
  d.place = resolve(place);
  d.notes = std::move(notes);
  d.fixes = std::move(fixes);
  found.add_warning(std::move(d));
}

Fix CompileContext::replace_field(const Field& field, std::string replacement) const {
  const size_t e = field.text.find_last_not_of(' ');
  const int length = e == std::string::npos ? 0 : static_cast<int>(e) + 1;
  Fix fix{Place{sources.name(current), field.line, field.column, field.line, field.column + length},
          std::move(replacement),
          {}};
  fix.title = msg(MessageId::fix_use, fix.replacement);
  return fix;
}

void CompileContext::not_a_number(const Field& field) {
  if (!watching) return;
  warn(kWarnNotANumber, place_of(field), msg(MessageId::w_not_a_number, quote_field(field.text)));
}

void CompileContext::tab_in_field(const Field& field, int column) {
  if (!watching || tab_line == field.line) return;
  tab_line = field.line;
  warn(kWarnTabSeparator, SourcePlace{current, field.line, column}, msg(MessageId::w_tab_separator));
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
    warn_unknown(kWarnUnknownSection, field, near);
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
  warn_unknown(kWarnUnknownKeyword, field, near);
}

void CompileContext::warn_unknown(std::string_view name, const Field& field, const std::string& near) {
  const bool section = name == kWarnUnknownSection;
  if (near.empty()) {
    warn(name, place_of(field),
         msg(section ? MessageId::w_unknown_section : MessageId::w_unknown_keyword, quote_field(field.text)));
    return;
  }
  warn(name, place_of(field),
       msg(section ? MessageId::w_unknown_section_near : MessageId::w_unknown_keyword_near, quote_field(field.text),
           near),
       {}, {replace_field(field, near)});
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
         msg(MessageId::w_run_on_record, record_name(keyword), std::to_string(keyword.line),
             std::to_string(reader.record_fields()), std::to_string(reader.record_fields_on_keyword_line())));
    return;
  }
  if (const int column = reader.rest_of_line_column(); column > 0) {
    quiet_line = reader.last().line;
    warn(kWarnExtraFields, SourcePlace{current, reader.last().line, column},
         msg(MessageId::w_extra_fields, record_name(keyword), std::to_string(reader.record_fields())));
  }
}

void CompileContext::check_rounding(const Field& field, int64_t position, MessageId what) {
  if (position % kMetresPerSection == 0) return;
  int64_t rounded = 0;
  try {
    rounded = int64_t{div_round(position, kMetresPerSection)} * kMetresPerSection;
  } catch (const ConversionFault&) {
    return;
  }
  warn(kWarnRoundedPosition, place_of(field),
       Message{MessageId::w_rounded, {std::to_string(position), std::to_string(rounded)}, {msg(what)}});
}

void CompileContext::check_beyond(const Field& field, int64_t position, const Field& record) {
  const int32_t length = model.slot(kTrainSlot).value2;
  if (position <= length) return;
  std::vector<Diagnostic> notes;
  if (found.length_place)
    notes.push_back(
        note(msg(MessageId::note_length_here, std::to_string(length)), resolve(*found.length_place)));
  warn(kWarnBeyondLine, place_of(field),
       msg(MessageId::w_beyond_line, record_name(record), std::to_string(position), std::to_string(length)),
       std::move(notes));
}

void CompileContext::placed(int64_t section) {
  found.placed_by[static_cast<int32_t>(section)] = place_of(keyword);
}

void CompileContext::passed_comment(const Field& field) {
  if (!watching || field.ends_line) return;
  quiet_line = field.line;
  const int comma = field.column + static_cast<int>(field.text.size());
  // The mend: the rest of the line without its commas.
  const std::string_view line = sources.line_text(current, field.line);
  std::vector<Fix> fixes;
  if (comma >= 1 && static_cast<size_t>(comma) <= line.size()) {
    std::string rest(line.substr(static_cast<size_t>(comma) - 1));
    std::erase(rest, ',');
    fixes.push_back(
        Fix{Place{sources.name(current), field.line, comma, field.line, static_cast<int>(line.size()) + 1},
            cp1252_to_utf8(rest), msg(MessageId::fix_comment_comma)});
  }
  warn(kWarnCommentComma, SourcePlace{current, field.line, comma}, msg(MessageId::w_comment_comma), {},
       std::move(fixes));
}

void CompileContext::check_time_fields(const Field (&fields)[3], const int64_t (&values)[3]) {
  if (values[0] == 0 && values[1] == 0 && values[2] == 0) return;  // no time
  static constexpr std::pair<MessageId, int64_t> kParts[] = {
      {MessageId::w_time_hours, 23}, {MessageId::w_time_minutes, 59}, {MessageId::w_time_seconds, 59}};
  char shown[80];
  std::snprintf(shown, sizeof shown, "%lld:%02lld:%02lld", static_cast<long long>(values[0]),
                static_cast<long long>(values[1]), static_cast<long long>(values[2]));
  for (int k = 0; k < 3; ++k) {
    if (values[k] >= 0 && values[k] <= kParts[k].second) continue;
    warn(kWarnTimeOfDay, place_of(fields[k]),
         msg(kParts[k].first, shown, std::to_string(values[k]), std::to_string(kParts[k].second)));
  }
}

namespace {

std::string station_name(const std::string& cp1252) {
  const size_t e = cp1252.find_last_not_of(' ');
  return printable(cp1252_to_utf8(e == std::string::npos ? cp1252 : cp1252.substr(0, e + 1)));
}

}  // namespace

void CompileContext::check_timetable(std::span<const TimedStation> stations,
                                     std::optional<SourcePlace> clock_place) {
  std::vector<TimetableStop> stops;
  for (const TimedStation& s : stations) stops.push_back(TimetableStop{s.position, s.time});
  const std::vector<int32_t> speeds = allowed_speeds(model);
  auto at = [&](const TimedStation& s) {
    return msg(MessageId::station_at, station_name(s.name), clock_text(s.time));
  };
  for (const TimedStation& s : stations) {
    if (!s.timed()) continue;
    const int64_t clock = clock_seconds(model);
    if (s.time < clock) {
      std::vector<Diagnostic> notes;
      if (clock_place) notes.push_back(note(msg(MessageId::note_clock_here), resolve(*clock_place)));
      warn(kWarnTimetableClock, s.time_place,
           Message{MessageId::w_timetable_clock, {clock_text(clock)}, {at(s)}}, std::move(notes));
    }
    break;
  }
  std::vector<TimetableLeg> legs = timetable_legs(speeds, stops);
  const std::optional<double> acceleration = files.realistic_acceleration();
  const std::optional<RunRates> rates = acceleration ? planning_rates(model, *acceleration) : std::nullopt;
  if (rates) add_realistic_runs(legs, speeds, stops, *rates);
  for (const TimetableLeg& leg : legs) {
    const bool unrealistic =
        leg.verdict == LegVerdict::ok && leg.realistic && leg.given < *leg.realistic_whole();
    if (leg.verdict == LegVerdict::ok && !unrealistic) continue;
    const TimedStation& a = stations[leg.from];
    const TimedStation& b = stations[leg.to];
    std::vector<Diagnostic> notes{
        note(msg(MessageId::note_station_time, station_name(a.name)), resolve(a.time_place))};
    switch (leg.verdict) {
      case LegVerdict::ok:
        warn(kWarnTimetableRealistic, b.time_place,
             Message{MessageId::w_timetable_realistic,
                     {std::to_string(int64_t{b.position} - a.position), duration_text(*leg.realistic_whole()),
                      duration_text(leg.given)},
                     {at(b), at(a), run_rates_message(*rates)}},
             std::move(notes));
        break;
      case LegVerdict::too_tight:
        warn(kWarnTimetable, b.time_place,
             Message{MessageId::w_timetable,
                     {std::to_string(int64_t{b.position} - a.position), duration_text(leg.least),
                      duration_text(leg.given)},
                     {at(b), at(a)}},
             std::move(notes));
        break;
      case LegVerdict::backwards:
        warn(kWarnTimetableOrder, b.time_place,
             Message{MessageId::w_timetable_order, {duration_text(-leg.given)}, {at(b), at(a)}},
             std::move(notes));
        break;
      case LegVerdict::blocked:
        warn(kWarnSpeedZero, b.time_place,
             Message{MessageId::w_speed_zero,
                     {std::to_string(*leg.bound.stopped_from), std::to_string(*leg.bound.stopped_to),
                      station_name(a.name), station_name(b.name)},
                     {at(b)}},
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
