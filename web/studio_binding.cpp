// The page's way into the engine: the pack the author edits lies in the module's memory
// file system. check_pack checks it in full in one call, as `scenario-pack check` does, and
// hands back every diagnostic of the model rendered in the page's language; compile_pack runs
// on it exactly what `scenario-compile --pack` runs. The compiled files stay in memory with
// the compiled model, which the reader draws and tabulates as scenario-inspect does; the
// route plot is held as its runs, and made into bytes only when the author downloads it.
#include <emscripten/bind.h>

#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "output/compiled_files.h"
#include "platform/env.h"
#include "reader/reader_svg.h"
#include "reader/reader_view.h"
#include "session/compile_pair.h"
#include "session/diagnostic_json.h"
#include "session/pack.h"
#include "sources/cp1252.h"
#include "sources/pack_payload.h"
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
    j["files"] = report.written;
  }
  return dump(j);
}

// The pack compiled as `scenario-compile --pack` compiles it.
std::string compile_pack(const std::string& pack) {
  CompileRequest request;
  std::string problems;
  if (!pack_request(pack, request, problems)) return outcome(std::nullopt, problems);
  return outcome(request, problems);
}

// The pack's line.txt and train.txt compiled as a pair, as scenario-compile compiles two
// descriptions given by name, with the identity and the encoding of its scenario.json: for
// descriptions beyond what a pack's program can hold (more than its 1000 lines a text).
std::string compile_pair_of_pack(const std::string& pack) {
  std::string problems;
  const std::optional<PackManifest> manifest = read_manifest(pack, problems);
  if (!manifest) return outcome(std::nullopt, problems);
  CompileRequest request;
  request.line_name = manifest->line_name;
  request.train_number = manifest->train_number;
  request.utf8_input = manifest->encoding == TextEncoding::utf8;
  request.line_description = pack + "/line.txt";
  request.train_description = pack + "/train.txt";
  return outcome(request, problems);
}

// The pack in the folder checked in full, in one compile: "diagnostics" holds every entry of
// the model (the pack's problems, the compiler's, a note for each warning scenario.json does
// not accept, and the warnings it accepts marked "accepted") with its messages in the language
// ("en" or "it"; any other is English), "problems"
// what a program's build would refuse, "report" scenario-compile's --json object of the compile
// (null when the descriptions could not be compiled), "line_table_exceeded" whether a
// description is too long for a program (it is compiled all the same), "text" the terminal's
// text, and "files" the compiled files' names when all three were made. A file of the pack
// is shown by its name alone (line.txt).
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

// The last compiled scenario as scenario-inspect shows it: "svg" its --svg picture and
// "stations" the table of stations; "error" when it cannot be drawn.
std::string scenario_view() {
  nlohmann::json j;
  try {
    const TrackModel& model = compiled_model;
    j["svg"] = inspect::scenario_svg(model);
    j["stations"] = nlohmann::json::array();
    for (const inspect::StationView& s : inspect::stations(model)) {
      // The railway's chainage at the station, from the header's references, as
      // scenario-inspect --timetable gives it.
      const std::optional<int64_t> chainage = inspect::chainage_at(model, s.position);
      j["stations"].push_back({{"slot", s.slot},
                               {"name", s.name},
                               {"position", s.position},
                               {"chainage", chainage ? inspect::chainage_text(static_cast<int32_t>(*chainage)) : "—"},
                               {"time", s.time == 0 ? "" : inspect::clock_text(s.time)}});
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

// The record tables of both formats, for the editor's highlighting.
std::string record_tables() {
  nlohmann::json j;
  auto keywords = [](const auto& records) {
    nlohmann::json list = nlohmann::json::array();
    for (const RecordKeyword& r : records)
      list.push_back({{"written", r.written},
                      {"words", {r.words[0], r.words[1]}},
                      {"fields", r.value_fields}});
    return list;
  };
  j["line"] = {{"general", keywords(kLineGeneralRecords)},
               {"body", keywords(kLineBodyRecords)},
               {"headers", kLineSectionHeaders}};
  j["train"] = {{"records", keywords(kTrainRecords)}, {"headers", kTrainSectionHeaders}};
  return dump(j);
}

}  // namespace
}  // namespace compactor

EMSCRIPTEN_BINDINGS(scenario_studio) {
  emscripten::function("checkPack", &compactor::check_pack_in);
  emscripten::function("windows1252High", &compactor::windows_1252_high);
  emscripten::function("compilePack", &compactor::compile_pack);
  emscripten::function("compilePairOfPack", &compactor::compile_pair_of_pack);
  emscripten::function("scenarioView", &compactor::scenario_view);
  emscripten::function("recordTables", &compactor::record_tables);
  emscripten::function("programPayload", &compactor::program_payload);
  emscripten::function("joinProgram", &compactor::join_program);
  emscripten::function("heldBytes", &compactor::held_bytes);
  emscripten::function("compiledFile", &compactor::compiled_file);
}
