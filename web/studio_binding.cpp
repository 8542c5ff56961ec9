// The page's way into the engine: the pack the author edits lies in the module's memory
// file system. check_pack checks it in full in one call, as `scenario-pack check` does, and
// hands back every diagnostic of the model rendered in the page's language; compile_pack runs
// on it exactly what `scenario-compile --pack` runs. The compiled files stay in memory with
// the compiled model, which the reader draws and tabulates as scenario-inspect does; the
// route plot is held as its runs, and made into bytes only when the author downloads it.
#include <emscripten/bind.h>

#include <algorithm>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <span>
#include <string_view>
#include <vector>

#include "output/compiled_files.h"
#include "platform/env.h"
#include "reader/reader_svg.h"
#include "reader/reader_view.h"
#include "session/compile_pair.h"
#include "session/diagnostic_json.h"
#include "session/pack.h"
#include "sources/cp1252.h"
#include "sources/pack_payload.h"
#include "sources/record_fields.h"
#include "sources/record_tables.h"

namespace compactor {
namespace {

std::string dump(const nlohmann::json& j) { return j.dump(-1, ' ', false, nlohmann::json::error_handler_t::replace); }

// The compiled files of the last compile that wrote them, in memory. The route plot is
// not drained from its source: its bytes are made again from the compiled model when the
// author downloads them, so a long line's plot is held only as its runs.
class CompiledInMemory : public FileSink {
 public:
  void replace_file(const std::string& name, std::string_view bytes) override { pending_[name] = std::string(bytes); }
  void replace_file_from(const std::string& name, ByteSource&) override { pending_[name] = std::nullopt; }
  void begin_set() override { pending_.clear(); }
  void commit_set() override { files = std::move(pending_); }
  void abandon_set() override { pending_.clear(); }

  std::map<std::string, std::optional<std::string>> files;  // nullopt: from the model's plot

 private:
  std::map<std::string, std::optional<std::string>> pending_;
};

CompiledInMemory compiled_files;
TrackModel compiled_model;  // the model the files in compiled_files were written from
double compiled_acceleration = kPlanningAcceleration;  // the realistic run's, from the same pack

// The outcome as one JSON text: "report" is scenario-compile's --json object (null when the
// request could not be made: then "text" says why), "text" its standard error, and "files"
// the names of the compiled files when all three were made.
std::string outcome(std::optional<CompileRequest> request, const std::string& problems) {
  nlohmann::json j;
  if (!request) {
    j["report"] = nullptr;
    j["text"] = problems;
    return dump(j);
  }
  TrackModel model;
  request->sink = &compiled_files;
  request->compiled = &model;
  const CompileReport report = compile_pair(*request);
  j["report"] = report_json(report);
  j["text"] = report.diagnostics;
  if (report.written.size() == 3) {
    compiled_model = std::move(model);
    compiled_acceleration = request->acceleration;
    j["files"] = report.written;
  }
  return dump(j);
}

// The pack compiled as `scenario-compile --pack` compiles it: the compiled files it writes,
// or none.
std::string compile_pack(const std::string& pack) {
  CompileRequest request;
  std::string problems;
  if (!pack_request(pack, request, problems)) return outcome(std::nullopt, problems);
  // Warnings are judged as the pack's build judges them: one it does not accept is an error,
  // and then nothing is written.
  request.werror = true;
  return outcome(request, problems);
}

// The pack in the folder checked in full, in one compile: "diagnostics" holds every entry of
// the model (the pack's problems, the compiler's, a note for each warning scenario.json does
// not accept, and the warnings it accepts marked "accepted") with its messages in the language
// ("en" or "it"; any other is English); "problems" what a program's build would refuse;
// "report" scenario-compile's --json object of the compile (null when the descriptions could
// not be compiled); "line_table_exceeded" whether a description is too long for a program (it
// is compiled all the same); "text" the terminal's text; and "files" the compiled files' names
// when all three were made. A file of the pack is shown by its name alone (line.txt).
std::string check_pack_in(const std::string& folder, const std::string& language) {
  const Language lang = language_named(language).value_or(Language::en);
  return json_text(
      [&] {
        PackFiles files;
        for (std::string_view name : {kPackManifest, kPackLine, kPackTrain, kPackCard, kPackForm, kPackNotes})
          if (std::optional<std::string> bytes = read_whole_file(std::filesystem::path(folder) / name))
            files.open(std::string(name), std::move(*bytes));
        TrackModel model;
        PackCheckOptions options;
        options.sink = &compiled_files;
        options.compiled = &model;
        options.language = lang;
        options.keep_accepted = true;
        const PackCheck check = check_pack(files, options);
        nlohmann::json j;
        j["diagnostics"] = diagnostics_json(check.entries, lang);
        j["problems"] = check.problems;
        j["line_table_exceeded"] = check.line_table_exceeded;
        j["report"] = check.compile ? report_json(*check.compile, lang) : nlohmann::json(nullptr);
        j["text"] = check.diagnostics;
        if (check.compile && check.compile->written.size() == 3) {
          compiled_model = std::move(model);
          compiled_acceleration = check.acceleration;
          j["files"] = check.compile->written;
        }
        return j;
      },
      kExitFileError);
}

// The characters of the bytes 0x80 to 0x9F of Windows-1252, the engine's own table, as one
// text of 32 characters (a byte without a character stands for the control character of its
// number): the page decodes and encodes its texts with it.
std::string windows_1252_high() {
  std::string bytes;
  for (int b = 0x80; b < 0xA0; ++b) bytes += static_cast<char>(b);
  return cp1252_to_utf8(bytes);
}

// The last compiled scenario as scenario-inspect shows it, in "en" or "it" (any other is
// English): "svg" its --svg picture and "stations" the table of stations, each with its time
// against the fastest and the realistic run from the timed station before ("realistic", and
// "leg" for a hover); "error" when it cannot be drawn.
std::string scenario_view_in(const std::string& language) {
  const Language lang = language_named(language).value_or(Language::en);
  nlohmann::json j;
  try {
    const TrackModel& model = compiled_model;
    j["svg"] = inspect::scenario_svg(model, compiled_acceleration, lang);
    j["stations"] = nlohmann::json::array();
    for (const inspect::TimetableRow& r : inspect::timetable_rows(model, compiled_acceleration)) {
      const inspect::StationView& s = r.station;
      // The railway's chainage at the station, from the header's references, as
      // scenario-inspect --timetable gives it.
      const std::optional<int64_t> chainage = inspect::chainage_at(model, s.position);
      std::string realistic, leg;
      if (r.leg && !r.leg->bound.blocked()) {
        if (r.leg->realistic) realistic = duration_text(*r.leg->realistic_whole());
        leg = render(
            Message{MessageId::view_leg,
                    {r.from_name, duration_text(r.leg->least), duration_text(r.leg->given)},
                    {realistic.empty() ? msg(MessageId::empty) : msg(MessageId::leg_realistic, realistic)}},
            lang);
      }
      j["stations"].push_back({{"slot", s.slot},
                               {"name", s.name},
                               {"position", s.position},
                               {"chainage", chainage ? inspect::chainage_text(static_cast<int32_t>(*chainage)) : "—"},
                               {"time", s.time == 0 ? "" : inspect::clock_text(s.time)},
                               {"realistic", realistic},
                               {"leg", leg}});
    }
  } catch (const std::exception& e) {
    j["error"] = e.what();
  }
  return dump(j);
}

// The bytes the last of the functions below made, for the page to copy out.
std::string held;

emscripten::val held_bytes() {
  return emscripten::val(emscripten::typed_memory_view(held.size(), reinterpret_cast<const uint8_t*>(held.data())));
}

// The bytes of a compiled file of the last compile, by name; false when there is none such.
bool compiled_file(const std::string& name) {
  const auto it = compiled_files.files.find(name);
  if (it == compiled_files.files.end()) return false;
  held = it->second ? *it->second : encode_route_plot(compiled_model.route_plot);
  return true;
}

// A program's payload, checked as `scenario-pack build` checks the pack before it makes
// one: "problems" and their "diagnostics" (the compiled files go to out); with none, the
// payload is held for the page to hash.
std::string program_payload(const std::string& pack, const std::string& out) {
  held.clear();
  const PackCheck check = check_pack(pack, out);
  nlohmann::json j{{"problems", check.problems}, {"diagnostics", check.diagnostics}};
  if (check.problems == 0) {
    std::string problem;
    std::optional<std::string> payload = pack_payload(pack, problem);
    if (payload) held = std::move(*payload);
    else j = {{"problems", 1}, {"diagnostics", problem + "\n"}};
  }
  return dump(j);
}

// The program: the runner in the file runner with the held payload and its trailer, given the
// payload's SHA-256 in 64 hex digits. Held in place of the payload; an empty text when made,
// else what went wrong.
std::string join_program(const std::string& runner, const std::string& digest_hex) {
  const std::optional<std::string> bytes = read_whole_file(runner);
  if (!bytes || !carries_runner_mark(*bytes)) return runner + " is not a runner";
  Sha256 digest{};
  const auto nibble = [](char c) { return c >= '0' && c <= '9' ? c - '0' : c >= 'a' && c <= 'f' ? c - 'a' + 10 : -1; };
  if (digest_hex.size() != 2 * digest.size()) return "the digest is not 64 hex digits";
  for (size_t i = 0; i < digest.size(); ++i) {
    const int high = nibble(digest_hex[2 * i]), low = nibble(digest_hex[2 * i + 1]);
    if (high < 0 || low < 0) return "the digest is not 64 hex digits";
    digest[i] = static_cast<uint8_t>(high * 16 + low);
  }
  held = append_payload(*bytes, held, digest);
  return "";
}

std::optional<Format> format_of(const std::string& file) {
  if (file == "line.txt") return Format::line;
  if (file == "train.txt") return Format::train;
  return std::nullopt;
}

std::string_view outcome_name(Outcome o) {
  switch (o) {
    case Outcome::accepted: return "accepted";
    case Outcome::warned: return "warned";
    case Outcome::rounded: return "rounded";
    case Outcome::low_bits: return "low_bits";
    case Outcome::fault: break;
  }
  return "fault";
}

// Every record and header of both formats with its fields, in "en" or "it", for the editor's
// hovers and completion: the records in the order the reader tests them.
std::string record_fields(const std::string& lang) {
  const Language l = language_named(lang).value_or(Language::en);
  const auto consequence = [](Consequence c) {
    nlohmann::json j{{"outcome", outcome_name(c.outcome)}};
    if (c.outcome == Outcome::fault) j["fault"] = c.fault;
    return j;
  };
  const auto records = [&](std::span<const RecordInfo> infos, std::string_view section, nlohmann::json& list) {
    for (const RecordInfo& r : infos) {
      nlohmann::json fields = nlohmann::json::array();
      for (const FieldInfo& f : r.fields) {
        const AllowedValues& a = f.allowed;
        nlohmann::json field{{"name", f.name},
                             {"width", width_text(f.width, l)},
                             {"text", f.width == FieldWidth::text},
                             {"allowed", allowed_text(f, l)},
                             {"unit", f.unit},
                             {"position", f.position},
                             {"meaning", f.meaning.in(l)},
                             {"note", a.note.in(l)}};
        if (f.width != FieldWidth::text) {
          field["min"] = a.min;
          field["max"] = a.max;
          field["step"] = a.step;
          field["past_line_end"] = a.past_line_end == kNoLineBound ? nlohmann::json() : nlohmann::json(a.past_line_end);
          field["only"] = std::vector<int32_t>(a.only.begin(), a.only.end());
          field["off_step"] = consequence(a.off_step);
          field["outside"] = consequence(a.outside);
        }
        fields.push_back(std::move(field));
      }
      list.push_back({{"written", r.keyword->written},
                      {"section", section},
                      {"meaning", r.meaning.in(l)},
                      {"example", r.example},
                      {"snippet", record_snippet(r)},
                      {"fields", std::move(fields)}});
    }
  };
  const auto headers = [&](Format format) {
    nlohmann::json list = nlohmann::json::array();
    for (const HeaderInfo& h : header_info(format)) list.push_back({{"header", h.header}, {"meaning", h.meaning.in(l)}});
    return list;
  };
  nlohmann::json line = nlohmann::json::array(), train = nlohmann::json::array();
  records(line_general_info(), "general", line);
  records(line_body_info(), "body", line);
  records(train_info(), "", train);
  return dump({{"line", {{"records", line}, {"headers", headers(Format::line)}}},
               {"train", {{"records", train}, {"headers", headers(Format::train)}}}});
}

// Which record and field the column (in UTF-16 units) of a line of line.txt or train.txt
// stands in, as the field reader reads it: {kind, keyword, field, fields, begin, end}; null
// for another file or an empty spot. Every Windows-1252 character is one unit.
std::string field_at_column(const std::string& file, const std::string& line, int column) {
  const std::optional<Format> format = format_of(file);
  if (!format || column < 0) return "null";
  std::vector<Cp1252Problem> problems;
  const std::string text = utf8_to_cp1252_listing(line, problems, 0);
  const FieldSpot spot = field_at(*format, text, static_cast<size_t>(column));
  static constexpr std::string_view kKinds[] = {"none", "keyword", "value", "extra", "other", "comment", "header"};
  if (spot.kind == SpotKind::none) return "null";
  nlohmann::json j{{"kind", kKinds[static_cast<size_t>(spot.kind)]},
                   {"field", spot.field},
                   {"begin", spot.begin},
                   {"end", spot.end}};
  if (spot.record) {
    j["keyword"] = spot.record->keyword->written;
    j["fields"] = spot.record->fields.size();
  }
  if (spot.kind == SpotKind::header && spot.header) j["header"] = spot.header->header;
  return dump(j);
}

// The index of a record in recordFields' list of its format (the line's general records,
// then its body's; the train's), or -1.
int record_index(Format format, const RecordInfo* record) {
  if (!record) return -1;
  int base = 0;
  for (std::span<const RecordInfo> list : format == Format::line
                                              ? std::vector{line_general_info(), line_body_info()}
                                              : std::vector{train_info()}) {
    if (record >= list.data() && record < list.data() + list.size()) return base + static_cast<int>(record - list.data());
    base += static_cast<int>(list.size());
  }
  return -1;
}

// Every field of every line of a description that its look depends on, as the field reader
// reads each line when it starts a record: five numbers a field, its line (from 1), its begin
// and end columns (UTF-16 units, end exclusive), its kind (as field_at_column names them, 1
// keyword to 6 header; 7 a value field of text) and its record's index in recordFields' list
// (-1 for none). Value fields of numbers are left out. Held for the page to copy.
std::vector<int32_t> spots;

emscripten::val field_spots(const std::string& file, const std::string& text) {
  spots.clear();
  const std::optional<Format> format = format_of(file);
  if (!format) return emscripten::val(emscripten::typed_memory_view(spots.size(), spots.data()));
  std::vector<Cp1252Problem> problems;
  const std::string bytes = utf8_to_cp1252_listing(text, problems, 0);
  int32_t number = 0;
  for (size_t at = 0; at <= bytes.size();) {
    size_t end = bytes.find('\n', at);
    if (end == std::string::npos) end = bytes.size();
    std::string_view line(bytes.data() + at, end - at);
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    ++number;
    for (size_t column = 0; column < line.size();) {
      const FieldSpot spot = field_at(*format, line, column);
      if (spot.kind == SpotKind::none) break;
      const bool text_value = spot.kind == SpotKind::value && spot.record && spot.field >= 1 &&
                              static_cast<size_t>(spot.field) <= spot.record->fields.size() &&
                              spot.record->fields[static_cast<size_t>(spot.field) - 1].width == FieldWidth::text;
      if (spot.kind != SpotKind::value || text_value) {
        spots.insert(spots.end(), {number, static_cast<int32_t>(spot.begin), static_cast<int32_t>(spot.end),
                                   text_value ? 7 : static_cast<int32_t>(spot.kind), record_index(*format, spot.record)});
      }
      const size_t comma = line.find(',', std::max(spot.end, column));
      if (comma == std::string_view::npos) break;
      column = comma + 1;
    }
    at = end + 1;
  }
  return emscripten::val(emscripten::typed_memory_view(spots.size(), spots.data()));
}

// Which description a text is, by the records its lines start: "line" or "train" when the
// keywords and section headers of one format outnumber the other's, else "".
std::string description_kind(const std::string& text) {
  std::vector<Cp1252Problem> problems;
  const std::string bytes = utf8_to_cp1252_listing(text, problems, 0);
  int score[2] = {0, 0};
  for (size_t at = 0; at < bytes.size();) {
    size_t end = bytes.find('\n', at);
    if (end == std::string::npos) end = bytes.size();
    const std::string_view line(bytes.data() + at, end - at);
    for (Format format : {Format::line, Format::train}) {
      const FieldSpot spot = field_at(format, line, 0);
      if (spot.kind == SpotKind::keyword || (spot.kind == SpotKind::header && spot.header))
        ++score[format == Format::line ? 0 : 1];
    }
    at = end + 1;
  }
  return score[0] > score[1] ? "line" : score[1] > score[0] ? "train" : "";
}

}  // namespace
}  // namespace compactor

EMSCRIPTEN_BINDINGS(scenario_studio) {
  emscripten::function("checkPack", &compactor::check_pack_in);
  emscripten::function("windows1252High", &compactor::windows_1252_high);
  emscripten::function("compilePack", &compactor::compile_pack);
  emscripten::function("scenarioView", &compactor::scenario_view_in);  // in a language: "en", "it"
  emscripten::function("recordFields", &compactor::record_fields);
  emscripten::function("fieldAt", &compactor::field_at_column);
  emscripten::function("fieldSpots", &compactor::field_spots);
  emscripten::function("descriptionKind", &compactor::description_kind);
  emscripten::function("programPayload", &compactor::program_payload);
  emscripten::function("joinProgram", &compactor::join_program);
  emscripten::function("heldBytes", &compactor::held_bytes);
  emscripten::function("compiledFile", &compactor::compiled_file);
}
