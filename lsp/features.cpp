#include "lsp/features.h"

#include <algorithm>
#include <string>

#include "lsp/formatting.h"
#include "lsp/record_line.h"
#include "reader/reader_view.h"
#include "sources/cp1252.h"
#include "sources/field_reader.h"
#include "sources/text_position.h"

namespace compactor::lsp {
namespace {

using nlohmann::json;

// Symbol and completion kinds of the protocol.
constexpr int kSymbolNamespace = 3, kSymbolClass = 5, kSymbolConstant = 14, kSymbolString = 15,
              kSymbolEvent = 24, kSymbolOperator = 25;
constexpr int kItemKeyword = 14, kItemSnippet = 15;
constexpr int kSnippetFormat = 2, kPlainFormat = 1;

// The fields of a station that give its timetable time (hours, minutes, seconds), 1-based.
constexpr int kStationHours = 14, kStationSeconds = 16;

// One line of the editor's UTF-8 text as Windows-1252, one byte a character as the record
// tables read it; a character that Windows-1252 has not stands as '?'.
std::string cp1252_line(std::string_view utf8_line) {
  std::vector<Cp1252Problem> problems;
  return utf8_to_cp1252_listing(utf8_line, problems, 0);
}

// The section header a field is, as the format writes it; nullopt when it is no header of the format.
std::optional<std::string_view> header_of(Format format, std::string_view line) {
  const size_t first = line.find_first_not_of(' ');
  if (first == std::string_view::npos) return std::nullopt;
  const FieldSpot spot = field_at(format, line, first);
  if (spot.kind != SpotKind::header || !spot.header) return std::nullopt;
  return spot.header->header;
}

// The header of the section that holds the line (0-based), searching the lines above it;
// nullopt before the first.
std::optional<std::string_view> section_of(const LineIndex& lines, int line, Format format) {
  for (int l = line; l >= 1; --l)
    if (auto h = header_of(format, cp1252_line(lines.line_text(l)))) return h;
  return std::nullopt;
}

Range line_range(const LineIndex& lines, int line, size_t begin, size_t end) {
  const std::string_view u = lines.line_text(line + 1);
  return Range{{line, utf16_units(u, static_cast<int>(begin))},
               {line, utf16_units(u, static_cast<int>(end))}};
}

std::string timetable_note(const TrackModel& model, double acceleration, int32_t position,
                           Language language) {
  for (const inspect::TimetableRow& row : inspect::timetable_rows(model, acceleration)) {
    if (row.station.position != position) continue;
    if (!row.leg) return {};
    const TimetableLeg& leg = *row.leg;
    switch (leg.verdict) {
      case LegVerdict::blocked:
        return render(msg(MessageId::lsp_hover_leg_blocked, row.from_name), language);
      case LegVerdict::backwards:
        return render(msg(MessageId::lsp_hover_leg_backwards, row.from_name), language);
      case LegVerdict::ok:
      case LegVerdict::too_tight:
        break;
    }
    const int64_t margin = leg.given - leg.least;
    std::string out = render(msg(margin >= 0 ? MessageId::lsp_hover_leg : MessageId::lsp_hover_leg_short,
                                 row.from_name, duration_text(leg.least), duration_text(leg.given),
                                 duration_text(margin >= 0 ? margin : -margin)),
                             language);
    if (const auto realistic = leg.realistic_whole())
      out += "\n" + render(msg(MessageId::lsp_hover_leg_realistic, duration_text(*realistic)), language);
    return out;
  }
  return {};
}

json symbol(std::string name, std::string detail, int kind, Range range, Range selection) {
  return {{"name", std::move(name)},
          {"detail", std::move(detail)},
          {"kind", kind},
          {"range", to_json(range)},
          {"selectionRange", to_json(selection)}};
}

}  // namespace

std::vector<std::string_view> section_keywords(Format format, std::string_view header) {
  struct Section {
    Format format;
    std::string_view header;
    std::vector<std::string_view> keywords;
  };
  static const Section kSections[] = {
      {Format::line, "[curve]", {"curvas", "curvad"}},
      {Format::line, "[pendenze]", {"pendenza"}},
      {Format::line, "[montagne]", {"montagna"}},
      {Format::line, "[cartelli]", {"indicatori_vmax"}},
      {Format::line, "[indicazioni]", {"cartello_indicatore"}},
      {Format::train, "[generale]", {"numero vetture", "percentuale massa frenata", "sabbia", "orologio"}},
      {Format::train, "[aderenze]", {"aderenza"}},
      {Format::train, "[vel_limite]", {"velocita"}},
      {Format::train, "[stazioni]", {"stazione"}},
      {Format::train, "[rallentamenti]", {"rallentamento"}},
      {Format::train, "[segnali]", {"segnale"}},
      {Format::train, "[codici]", {"abbattimento"}},
  };
  if (format == Format::line && header == "[generale]") {
    std::vector<std::string_view> all;
    for (const RecordInfo& r : line_general_info()) all.push_back(r.keyword->written);
    return all;
  }
  for (const Section& s : kSections)
    if (s.format == format && s.header == header) return s.keywords;
  return {};
}

std::optional<json> hover(std::string_view text, Format format, Position at, const CompiledScenario& compiled,
                          Language language) {
  const LineIndex lines(text);
  if (at.line < 0 || at.line >= lines.lines()) return std::nullopt;
  const std::string_view u = lines.line_text(at.line + 1);
  const std::string line = cp1252_line(u);
  FieldSpot spot = field_at(format, line, static_cast<size_t>(characters_in(u, std::max(at.character, 0))));
  if (spot.kind == SpotKind::none) return std::nullopt;
  // The field's own text goes into the title: in UTF-8, as every text of the hover.
  const std::string field_text = cp1252_to_utf8(spot.text);
  const std::string_view field_bytes = spot.text;
  spot.text = field_text;
  std::string value = hover_text(spot, language);
  if (spot.kind == SpotKind::value && compiled.model) {
    const FieldInfo& field = spot.record->fields[static_cast<size_t>(spot.field - 1)];
    if (field.position)
      if (const auto p = number_of(field_bytes))
        if (const auto chainage = inspect::chainage_at(*compiled.model, *p))
          value += render(msg(MessageId::lsp_hover_chainage,
                              inspect::chainage_text(static_cast<int32_t>(*chainage))),
                          language) +
                   "\n";
    if (spot.record->keyword->written == "stazione" && spot.field >= kStationHours &&
        spot.field <= kStationSeconds)
      if (const auto record = read_record_line(format, line); record && !record->values.empty())
        if (const auto p = number_of(record->values.front().text)) {
          const std::string note = timetable_note(*compiled.model, compiled.acceleration, *p, language);
          if (!note.empty()) value += note + "\n";
        }
  }
  if (!value.empty() && value.back() == '\n') value.pop_back();
  return json{{"contents", {{"kind", "plaintext"}, {"value", value}}},
              {"range", to_json(line_range(lines, at.line, spot.begin, spot.end))}};
}

json completion(std::string_view text, Format format, Position at, bool snippets, Language language) {
  json items = json::array();
  const LineIndex lines(text);
  if (at.line < 0 || at.line >= lines.lines()) return items;
  const std::string_view u = lines.line_text(at.line + 1);
  const std::string line = cp1252_line(u);
  const size_t column =
      std::min(static_cast<size_t>(characters_in(u, std::max(at.character, 0))), line.size());
  const std::string_view before = std::string_view(line).substr(0, column);
  // Only the first field of a line takes a keyword or a header; a field with "-" is a comment.
  if (before.find(',') != std::string_view::npos) return items;
  const size_t lead = std::min(before.find_first_not_of(' '), before.size());
  const std::string_view typed = before.substr(lead);
  if (typed.find('-') != std::string_view::npos) return items;
  const bool header_only = typed.starts_with('[');
  // An editor that closes brackets has put "]" after the cursor: the header takes it in.
  const size_t end = header_only && column < line.size() && line[column] == ']' ? column + 1 : column;
  const Range range = line_range(lines, at.line, lead, end);
  const std::optional<std::string_view> section = section_of(lines, at.line, format);

  int order = 0;
  auto sort = [&](char group) {
    const std::string n = std::to_string(order++);
    return group + std::string(n.size() < 3 ? 3 - n.size() : 0, '0') + n;
  };
  for (const HeaderInfo& h : header_info(format)) {
    // Before the first header only [generale] starts anything that is read.
    if (!section && h.header != "[generale]") continue;
    items.push_back({{"label", h.header},
                     {"kind", kItemKeyword},
                     {"detail", h.meaning.in(language)},
                     {"sortText", sort('2')},
                     {"filterText", h.header},
                     {"insertTextFormat", kPlainFormat},
                     {"textEdit", {{"range", to_json(range)}, {"newText", h.header}}}});
  }
  if (header_only || !section) return items;

  const std::vector<std::string_view> own = section_keywords(format, *section);
  const std::span<const RecordInfo> records = format == Format::train    ? train_info()
                                              : *section == "[generale]" ? line_general_info()
                                                                         : line_body_info();
  order = 0;
  for (const RecordInfo& r : records) {
    const bool mine = std::find(own.begin(), own.end(), r.keyword->written) != own.end();
    std::string fields;
    for (const FieldInfo& f : r.fields) fields += (fields.empty() ? "" : ", ") + std::string(f.name);
    items.push_back(
        {{"label", r.keyword->written},
         {"kind", snippets ? kItemSnippet : kItemKeyword},
         {"detail", r.meaning.in(language)},
         {"documentation", {{"kind", "plaintext"}, {"value", std::string(r.example) + "\n" + fields}}},
         {"sortText", sort(mine ? '0' : '1')},
         {"filterText", r.keyword->written},
         {"preselect", mine && own.front() == r.keyword->written},
         {"insertTextFormat", snippets ? kSnippetFormat : kPlainFormat},
         {"textEdit",
          {{"range", to_json(range)}, {"newText", snippets ? record_snippet(r) : std::string(r.example)}}}});
  }
  return items;
}

json document_symbols(std::string_view text, Format format, bool hierarchical, const std::string& uri,
                      Language language) {
  const LineIndex lines(text);
  json sections = json::array();  // hierarchical: the sections and the records before the first
  json flat = json::array();
  json* current = nullptr;  // the children of the section being read
  std::string current_name;
  auto close_section = [&](int last_line) {
    if (!current) return;
    json& s = sections.back();
    const int line = std::max(last_line, s["range"]["start"]["line"].get<int>());
    s["range"]["end"] = to_json(Position{line, utf16_units(lines.line_text(line + 1), INT32_MAX)});
    current = nullptr;
  };
  for (int l = 0; l < lines.lines(); ++l) {
    const std::string line = cp1252_line(lines.line_text(l + 1));
    if (const auto header = header_of(format, line)) {
      close_section(l - 1);
      const size_t begin = line.find_first_not_of(' ');
      const size_t end = line.find(']', begin) + 1;
      const Range r = line_range(lines, l, begin, end);
      std::string meaning;
      for (const HeaderInfo& h : header_info(format))
        if (h.header == *header) meaning = std::string(h.meaning.in(language));
      sections.push_back(symbol(std::string(*header), meaning, kSymbolNamespace, r, r));
      sections.back()["children"] = json::array();
      current = &sections.back()["children"];
      current_name = *header;
      flat.push_back({{"name", *header},
                      {"kind", kSymbolNamespace},
                      {"location", {{"uri", uri}, {"range", to_json(r)}}}});
      continue;
    }
    const std::optional<RecordLine> record = read_record_line(format, line);
    if (!record || record->values.empty()) continue;
    const std::string_view kw = record->record->keyword->written;
    const std::string position(record->values.front().text);
    std::string name = std::string(kw) + " " + position;
    std::string detail;
    int kind = 0;
    size_t sel_begin = record->keyword_begin, sel_end = record->keyword_begin + record->keyword.size();
    if (kw == "stazione") {
      kind = kSymbolClass;
      detail = name + " m";
      if (record->values.size() == record->record->fields.size() && !record->values.back().text.empty()) {
        name = cp1252_to_utf8(record->values.back().text);
        sel_begin = record->values.back().begin;
        sel_end = sel_begin + record->values.back().text.size();
      }
    } else if (kw == "segnale") {
      kind = kSymbolEvent;
    } else if (kw == "rallentamento") {
      kind = kSymbolOperator;
    } else if (kw == "indicatori_vmax") {
      kind = kSymbolConstant;
    } else if (kw == "cartello_indicatore") {
      kind = kSymbolString;
      if (record->values.size() > 1) detail = cp1252_to_utf8(record->values[1].text);
    } else {
      continue;
    }
    if (detail.empty()) detail = std::string(record->record->meaning.in(language));
    const Range whole = line_range(lines, l, 0, line.size());
    json s = symbol(name, detail, kind, whole, line_range(lines, l, sel_begin, sel_end));
    json f{{"name", name}, {"kind", kind}, {"location", {{"uri", uri}, {"range", to_json(whole)}}}};
    if (current) f["containerName"] = current_name;
    flat.push_back(std::move(f));
    (current ? *current : sections).push_back(std::move(s));
  }
  close_section(lines.lines() - 1);
  return hierarchical ? sections : flat;
}

std::optional<json> formatting_edits(std::string_view text, Format format) {
  if (!is_cp1252_encodable(text)) return std::nullopt;
  const std::string before = utf8_to_cp1252(text);
  const std::string after = format_description(before, format);
  json edits = json::array();
  if (after == before) return edits;
  const LineIndex old_lines(before), new_lines(after);
  for (int l = 1; l <= old_lines.lines() && l <= new_lines.lines(); ++l) {
    const std::string_view a = old_lines.line_text(l), b = new_lines.line_text(l);
    if (a == b) continue;
    edits.push_back({{"range", to_json(Range{{l - 1, 0}, {l - 1, static_cast<int>(a.size())}})},
                     {"newText", cp1252_to_utf8(b)}});
  }
  return edits;
}

}  // namespace compactor::lsp
