#include "compiler/diagnostics.h"

#include <algorithm>
#include <cstdio>

#include "sources/conversion.h"
#include "compiler/faults.h"
#include "compiler/warnings.h"
#include "sources/cp1252.h"

namespace compactor {
namespace {

constexpr int kWindowColumns = 120;  // a source line wider than this is cut around the caret
constexpr int kColumnsBeforeCaret = 40;
constexpr int kQuotedColumns = 40;                      // a quoted field is cut after this many columns
constexpr std::string_view kEllipsis = "\xE2\x80\xA6";  // …

bool unassigned_cp1252(unsigned char b) {
  return b == 0x81 || b == 0x8D || b == 0x8F || b == 0x90 || b == 0x9D;
}

std::string hex_escape(unsigned char b) {
  char buf[8];
  std::snprintf(buf, sizeof buf, "\\x%02x", b);
  return buf;
}

// One Windows-1252 byte as shown: its character in UTF-8, or \xNN for a control byte
// and for the five bytes without a character. Tabs are kept unless escape_tab.
struct Cell {
  std::string text;
  int width;
};
Cell cell_of(unsigned char b, bool escape_tab) {
  if (b == '\t' && !escape_tab) return {"\t", 1};
  if (b < 0x20 || b == 0x7F || unassigned_cp1252(b)) return {hex_escape(b), 4};
  const char ch = static_cast<char>(b);
  return {cp1252_to_utf8(std::string_view(&ch, 1)), 1};
}
int width_of(unsigned char b) { return cell_of(b, false).width; }

}  // namespace

std::string quote_field(std::string_view cp1252) {
  std::string out = "'";
  int width = 0;
  for (size_t i = 0; i < cp1252.size(); ++i) {
    const Cell c = cell_of(static_cast<unsigned char>(cp1252[i]), true);
    if (width + c.width > kQuotedColumns) {
      out += kEllipsis;
      break;
    }
    out += c.text;
    width += c.width;
  }
  return out + "'";
}

std::string printable(std::string_view utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size(); ++i) {
    const auto b = static_cast<unsigned char>(utf8[i]);
    if (b < 0x20 || b == 0x7F) {
      out += hex_escape(b);
    } else if (b == 0xC2 && i + 1 < utf8.size() && static_cast<unsigned char>(utf8[i + 1]) >= 0x80 &&
               static_cast<unsigned char>(utf8[i + 1]) <= 0x9F) {
      // A C1 control character, which some terminals obey as well.
      out += hex_escape(b) + hex_escape(static_cast<unsigned char>(utf8[i + 1]));
      ++i;
    } else {
      out += static_cast<char>(b);
    }
  }
  return out;
}

int field_end_column(std::string_view line, int column, int fields) {
  const size_t n = line.size();
  const size_t c = std::min(column > 0 ? static_cast<size_t>(column - 1) : 0, n);
  // The field under the caret runs to a comma or the line end, less trailing spaces.
  size_t e = c;
  for (int f = 0; f < std::max(fields, 1); ++f) {
    if (f > 0 && e < n) ++e;  // the comma between two fields
    while (e < n && line[e] != ',') ++e;
  }
  while (e > c + 1 && line[e - 1] == ' ') --e;
  return static_cast<int>(std::max(e, c + 1)) + 1 + std::max(column - 1 - static_cast<int>(c), 0);
}

ShownSource show_source(std::string_view line, int column, int fields) {
  return show_span(line, column, field_end_column(line, column, fields));
}

ShownSource show_span(std::string_view line, int column, int end_column) {
  const size_t n = line.size();
  const size_t wanted = column > 0 ? static_cast<size_t>(column - 1) : 0;
  const size_t c = std::min(wanted, n);
  const size_t pad = wanted - c;  // a caret past the end of the line
  const size_t e = std::min(end_column > 1 ? static_cast<size_t>(end_column - 1) : 0, n);

  // The window [left, right): about kColumnsBeforeCaret columns before the caret, the rest after
  // it; room left over at the end of the line goes to the left.
  size_t left = c;
  size_t right = c;
  int used = 0;
  while (left > 0 && used + width_of(static_cast<unsigned char>(line[left - 1])) <= kColumnsBeforeCaret)
    used += width_of(static_cast<unsigned char>(line[--left]));
  while (right < n && used + width_of(static_cast<unsigned char>(line[right])) <= kWindowColumns)
    used += width_of(static_cast<unsigned char>(line[right++]));
  while (left > 0 && used + width_of(static_cast<unsigned char>(line[left - 1])) <= kWindowColumns)
    used += width_of(static_cast<unsigned char>(line[--left]));

  ShownSource shown;
  if (left > 0) {
    shown.line += kEllipsis;
    shown.caret += ' ';
  }
  for (size_t i = left; i < right; ++i) {
    const Cell cell = cell_of(static_cast<unsigned char>(line[i]), false);
    shown.line += cell.text;
    if (i < c)
      shown.caret +=
          cell.text == "\t" ? std::string("\t") : std::string(static_cast<size_t>(cell.width), ' ');
  }
  if (right < n) shown.line += kEllipsis;
  shown.caret.append(pad, ' ');
  shown.caret += '^';
  if (c < right)
    shown.caret.append(static_cast<size_t>(width_of(static_cast<unsigned char>(line[c])) - 1), '~');
  for (size_t i = c + 1; i < std::min(e, right); ++i)
    shown.caret.append(static_cast<size_t>(width_of(static_cast<unsigned char>(line[i]))), '~');
  return shown;
}

DescriptionSources::DescriptionSources(std::string line_name, std::optional<std::string_view> line_text,
                                       std::string train_name, std::optional<std::string_view> train_text) {
  set(Description::line, std::move(line_name), line_text);
  set(Description::train, std::move(train_name), train_text);
}

void DescriptionSources::set(Description which, std::string name, std::optional<std::string_view> text) {
  Source& s = source(which);
  s.name = std::move(name);
  s.text = text;
  s.lines.reset();
}

std::string_view DescriptionSources::line_text(Description which, int line) const {
  const Source& s = source(which);
  if (!s.text) return {};
  if (!s.lines) s.lines.emplace(*s.text);
  return s.lines->line_text(line);
}

std::optional<Description> DescriptionSources::named(std::string_view file) const {
  if (file == line_.name) return Description::line;
  if (file == train_.name) return Description::train;
  return std::nullopt;
}

Place DescriptionSources::place(const SourcePlace& p) const {
  Place out{name(p.description), p.line, p.column, p.line, p.column};
  if (p.line < 1) return Place{out.file, 0, 0, 0, 0};
  out.end_column = field_end_column(line_text(p.description, p.line), p.column, p.fields);
  return out;
}

DiagnosticPrinter::DiagnosticPrinter(DescriptionSources sources, Language language)
    : sources_(std::move(sources)), language_(language) {}

DiagnosticPrinter::DiagnosticPrinter(std::string line_name, std::optional<std::string_view> line_text,
                                     std::string train_name, std::optional<std::string_view> train_text,
                                     Language language)
    : DiagnosticPrinter(
          DescriptionSources(std::move(line_name), line_text, std::move(train_name), train_text), language) {}

std::string DiagnosticPrinter::place_text(const Place& place) {
  std::string out = printable(place.file);
  if (place.line > 0) out += ":" + std::to_string(place.line) + ":" + std::to_string(place.column);
  return out;
}

void DiagnosticPrinter::append_source(std::string& out, const Place& place) const {
  if (place.line < 1 || place.column < 1) return;
  const std::optional<Description> which = sources_.named(place.file);
  if (!which) return;
  const std::string_view text = sources_.line_text(*which, place.line);
  if (text.empty()) return;
  const int end = place.end_line > place.line ? static_cast<int>(text.size()) + 1 : place.end_column;
  const ShownSource shown = show_span(text, place.column, end);
  out += shown.line + "\n" + shown.caret + "\n";
}

std::string DiagnosticPrinter::format(const Diagnostic& d, bool werror) const {
  if (d.accepted) return {};
  if (d.code == "recovery")  // its message names the folder and may hold what a path holds
    return (d.place ? printable(d.place->file) + ": " : std::string()) +
           printable(render(d.message, language_)) + "\n";
  const bool as_error = d.severity == Severity::error || (werror && !d.warning.empty());
  const auto word = [&](MessageId id) { return render(msg(id), language_) + ": "; };
  std::string out;
  if (d.place) out += place_text(*d.place) + ": ";
  out += as_error                          ? word(MessageId::severity_error)
         : d.severity == Severity::warning ? word(MessageId::severity_warning)
                                           : word(MessageId::severity_note);
  out += render(d.message, language_);
  if (!d.warning.empty() && d.severity != Severity::note)
    out += (werror ? " [-Werror,-W" : " [-W") + d.warning + "]";
  out += "\n";
  if (d.place) append_source(out, *d.place);
  for (const Diagnostic& note : d.notes) {
    out += word(MessageId::severity_note) + render(note.message, language_);
    if (note.place) out += ": " + place_text(*note.place);
    out += "\n";
    if (note.place) append_source(out, *note.place);
  }
  return out;
}

namespace {

std::optional<SourcePlace> placed(const CompileDiagnostics& found, int32_t section) {
  const auto it = found.placed_by.find(section);
  if (it == found.placed_by.end()) return std::nullopt;
  return it->second;
}

// The section a fault tied to a taken section is about, when the position tells it.
std::optional<int32_t> taken_section(int32_t code, int32_t position) {
  try {
    switch (code) {
      case kFaultSignTaken:
      case kFaultSignalTaken:
      case kFaultSpeedBoardTaken:
      case kFaultStartTaken:
        return point_section(position);
      case kFaultAbbattimentoTaken:
        return div_round(position, kMetresPerSection);
      case kFaultBoardTaken:
        return point_section(position - 1200);
      default:
        return std::nullopt;
    }
  } catch (const ConversionFault&) {
    return std::nullopt;
  }
}

}  // namespace

Diagnostic fault_diagnostic(int32_t code, int32_t position, const FaultSite& site,
                            const CompileDiagnostics& found, const DescriptionSources& sources) {
  Diagnostic d;
  d.severity = Severity::error;
  d.code = fault_code_name(code);
  if (code == kFaultNoGeneral)  // the search ran through the whole file
    d.place = sources.place(SourcePlace{Description::line, 0, 0});
  else if (site.known)
    d.place = sources.place(SourcePlace{site.description, site.line, site.column});
  else if (code == kFaultReference && found.chainage_place)
    d.place = sources.place(*found.chainage_place);
  else if (code == kFaultReference || code == kFaultNoLineFile)
    d.place = sources.place(SourcePlace{Description::line, 0, 0});
  const int32_t shown = found.fault_position.value_or(position);
  Message meaning = found.fault_detail ? *found.fault_detail : msg(fault_message_id(code));
  if (fault_has_position(code))
    d.message =
        Message{MessageId::fault_message_at, {std::to_string(code), std::to_string(shown)}, {meaning}};
  else
    d.message = Message{MessageId::fault_message, {std::to_string(code)}, {meaning}};
  if (code == kFaultOutOfRange && found.length_place)
    d.notes.push_back(note(msg(MessageId::note_length_here, std::to_string(found.length)),
                           sources.place(*found.length_place)));
  if (const auto section = found.taken_section ? found.taken_section : taken_section(code, shown)) {
    if (const auto by = placed(found, *section))
      d.notes.push_back(
          note(msg(MessageId::note_section_taken, std::to_string(*section)), sources.place(*by)));
  }
  for (const Diagnostic& n : found.fault_notes) d.notes.push_back(n);
  return d;
}

Diagnostic conflict_diagnostic(int32_t code, int32_t position, const CompileDiagnostics& found,
                               const DescriptionSources& sources) {
  Diagnostic d;
  d.severity = Severity::warning;
  d.code = conflict_code_name(code);
  d.warning = std::string(kWarnConflict);
  d.message = Message{MessageId::conflict_message,
                      {std::to_string(code), std::to_string(position)},
                      {msg(fault_message_id(code))}};
  // 11 names the signal's section, 12 the slow-down start's: blame the record that put it there.
  if (code == kConflictBoard || code == kConflictWindow)
    d.place = sources.place(placed(found, position / kMetresPerSection));
  return d;
}

Diagnostic errore_diagnostic(const std::string& errore, const TrackModel& model,
                             const CompileDiagnostics& found, const DescriptionSources& sources) {
  Diagnostic d;
  d.severity = Severity::error;
  d.code = "errore-" + errore;
  const bool first = errore == "1250";
  const Message holder = msg(first ? MessageId::reserved_marker : MessageId::reserved_code);
  const std::optional<SourcePlace>& taker = first ? found.reserved_data1 : found.reserved_data2;
  const bool by_pass =
      first && !taker && model.sections_created && model.section(1).kind == kKindAbbattimento;
  if (taker) {
    d.place = sources.place(*taker);
    d.message = Message{MessageId::errore_record, {errore, first ? "data1" : "data2"}, {holder}};
  } else if (by_pass) {
    d.message = Message{MessageId::errore_pass, {errore}, {holder}};
    // A slow-down start in section 8, 14 or 21, whose window before it ends at section 1, or a
    // signal in section 3 behind a warning board: the point was put for it.
    auto kind_at = [&](int32_t i) -> uint8_t { return i <= model.cell_limit ? model.section(i).kind : 0; };
    std::optional<std::pair<int32_t, MessageId>> anchor;
    for (const int32_t start : {8, 14, 21}) {
      if (!anchor && kind_at(start) == kKindSlowStart)
        anchor = std::pair{start, MessageId::note_point_for_slowdown};
    }
    for (int32_t board = 4; !anchor && board <= 23; ++board) {
      if (kind_at(board) == kKindSlowWarning && kind_at(3) == kKindSignal)
        anchor = std::pair{3, MessageId::note_point_for_signal};
    }
    if (anchor) {
      if (const auto by = placed(found, anchor->first))
        d.notes.push_back(note(msg(anchor->second), sources.place(*by)));
    }
  } else {
    d.message = Message{MessageId::errore_taken,
                        {errore},
                        {msg(first ? MessageId::reserved_places_1 : MessageId::reserved_places_2)}};
  }
  return d;
}

std::optional<Diagnostic> utf8_input_warning(Description which, std::string_view text,
                                             const DescriptionSources& sources) {
  const auto first =
      std::find_if(text.begin(), text.end(), [](char ch) { return static_cast<unsigned char>(ch) >= 0x80; });
  if (first == text.end() || !is_valid_utf8(text)) return std::nullopt;
  const size_t at = static_cast<size_t>(first - text.begin());
  const TextPosition where = LineIndex(text).position(at);
  const auto lead = static_cast<unsigned char>(text[at]);
  const size_t length = lead >= 0xF0 ? 4 : lead >= 0xE0 ? 3 : 2;
  const std::string_view bytes = text.substr(at, length);
  Diagnostic d;
  d.severity = Severity::warning;
  d.warning = std::string(kWarnUtf8Input);
  d.code = d.warning;
  d.place = sources.place(SourcePlace{which, where.line, where.column});
  d.message = msg(MessageId::w_utf8_input, std::string(bytes), quote_field(bytes));
  return d;
}

std::string nearest_word(std::string_view word, std::span<const std::string_view> candidates) {
  auto lower = [](char ch) { return static_cast<char>(ch >= 'A' && ch <= 'Z' ? ch - 'A' + 'a' : ch); };
  std::string folded(word.size(), '\0');
  std::transform(word.begin(), word.end(), folded.begin(), lower);
  std::string best;
  size_t best_distance = SIZE_MAX;
  std::vector<size_t> row;
  for (const std::string_view candidate : candidates) {
    // A word is near when at most a quarter of the candidate's letters (at least one)
    // differ. The distance is at least the difference in length, so only the cells
    // within that many of the diagonal can lead to a near word: the others count as
    // too far. A row whose every cell is too far ends the search, since no later row
    // comes nearer. So a long word of garbage costs no more than a short one.
    const size_t n = candidate.size();
    const size_t allowed = std::max<size_t>(1, n / 4);
    const size_t apart = folded.size() > n ? folded.size() - n : n - folded.size();
    if (apart > allowed || apart >= best_distance) continue;
    const size_t far = allowed + 1;
    row.assign(n + 1, far);
    for (size_t j = 0; j <= std::min(n, allowed); ++j) row[j] = j;
    size_t row_least = 0;
    for (size_t i = 1; i <= folded.size() && row_least <= allowed; ++i) {
      const size_t lo = i > allowed ? i - allowed : 1;
      const size_t hi = std::min(n, i + allowed);
      size_t diagonal = row[lo - 1];
      row[lo - 1] = lo == 1 ? std::min(i, far) : far;
      row_least = row[lo - 1];
      for (size_t j = lo; j <= hi; ++j) {
        const size_t above = row[j];
        const size_t cost = folded[i - 1] == lower(candidate[j - 1]) ? 0 : 1;
        row[j] = std::min(std::min(above + 1, row[j - 1] + 1), std::min(diagonal + cost, far));
        row_least = std::min(row_least, row[j]);
        diagonal = above;
      }
    }
    if (row_least > allowed) continue;
    const size_t distance = row[n];
    if (distance < best_distance && distance <= allowed) {
      best_distance = distance;
      best = std::string(candidate);
    }
  }
  return best;
}

namespace {

constexpr WarningKind kWarnings[] = {
    {kWarnUnknownKeyword, MessageId::wm_unknown_keyword},
    {kWarnUnknownSection, MessageId::wm_unknown_section},
    {kWarnNotANumber, MessageId::wm_not_a_number},
    {kWarnRunOnRecord, MessageId::wm_run_on_record},
    {kWarnExtraFields, MessageId::wm_extra_fields},
    {kWarnRoundedPosition, MessageId::wm_rounded_position},
    {kWarnLineLength, MessageId::wm_line_length},
    {kWarnBeyondLine, MessageId::wm_beyond_line},
    {kWarnTabSeparator, MessageId::wm_tab_separator},
    {kWarnUtf8Input, MessageId::wm_utf8_input},
    {kWarnConflict, MessageId::wm_conflict},
    {kWarnCommentComma, MessageId::wm_comment_comma},
    {kWarnTimetable, MessageId::wm_timetable},
    {kWarnTimetableOrder, MessageId::wm_timetable_order},
    {kWarnTimetableClock, MessageId::wm_timetable_clock},
    {kWarnSpeedZero, MessageId::wm_speed_zero},
    {kWarnTimeOfDay, MessageId::wm_time_of_day},
    {kWarnBraking, MessageId::wm_braking},
    {kWarnTimetableRealistic, MessageId::wm_timetable_realistic, false},
    {kWarnGradientRange, MessageId::wm_gradient_range},
};

}  // namespace

std::span<const WarningKind> all_warnings() { return kWarnings; }

bool is_warning_name(std::string_view name) {
  return std::any_of(std::begin(kWarnings), std::end(kWarnings),
                     [&](const WarningKind& w) { return w.name == name; });
}

}  // namespace compactor
