#include "lsp/scenario_check.h"

#include <algorithm>
#include <array>
#include <set>

#include "compiler/realistic_run.h"
#include "lsp/record_line.h"
#include "platform/env.h"
#include "session/compile_pair.h"
#include "session/pack.h"
#include "sources/cp1252.h"
#include "sources/file_names.h"
#include "sources/pack_text.h"
#include "sources/scenario_names.h"
#include "sources/text_position.h"

namespace compactor::lsp {
namespace {

using nlohmann::json;

constexpr std::array<std::string_view, 6> kPackNames = {kPackManifest, kPackLine, kPackTrain,
                                                        kPackCard,     kPackForm, kPackNotes};
constexpr std::string_view kLineSuffix = "_linea.txt";
constexpr std::string_view kTrainSuffix = "-.txt";
// A folder's names looked at for a partner, at most.
constexpr int kMostNamesLooked = 10000;
// Characters the editor holds that the pack's encoding has not, reported at most.
constexpr size_t kMostEncodingProblems = 20;

// The longest line a description may describe, for a train description checked alone.
constexpr std::string_view kAnyLine = "[generale]\r\nlunghezza percorso, 1000000\r\n[fine]\r\n";

// Protocol values.
constexpr int kError = 1, kWarning = 2, kInformation = 3, kHint = 4;

// Compiled files no one keeps; a route plot is never drained.
class Nowhere : public FileSink {
 public:
  void replace_file(const std::string&, std::string_view) override {}
  void replace_file_from(const std::string&, ByteSource&) override {}
};

std::string name_of(const std::filesystem::path& path) { return utf8_of_path(path.filename()); }

bool is_pack_name(std::string_view name) {
  return std::find(kPackNames.begin(), kPackNames.end(), name) != kPackNames.end();
}

bool usable_identity(const std::string& line, const std::string& train) {
  return !identity_problem_message(line) && !identity_problem_message(train) &&
         !names_length_problem_message(line, train);
}

// Whether the file is open in the editor or stands on disk.
bool present(const std::filesystem::path& path, const DocumentStore& store) {
  if (store.find_path(path)) return true;
  std::error_code ec;
  return std::filesystem::is_regular_file(path, ec);
}

// The names in the folder, open documents' included, sorted.
std::set<std::string> names_in(const std::filesystem::path& folder, const DocumentStore& store) {
  std::set<std::string> names;
  for (const auto& [uri, d] : store.all())
    if (d.path && d.path->parent_path() == folder) names.insert(name_of(*d.path));
  std::error_code ec;
  int looked = 0;
  for (auto it = std::filesystem::directory_iterator(folder, ec);
       !ec && it != std::filesystem::directory_iterator(); it.increment(ec)) {
    if (++looked > kMostNamesLooked) break;
    names.insert(name_of(it->path()));
  }
  return names;
}

// A file of a unit: the URI its diagnostics go to, and its text (UTF-8) to count UTF-16 units in.
struct FileRef {
  std::string uri;
  std::string text;
  std::optional<LineIndex> lines;
};

class Files {
 public:
  explicit Files(const DocumentStore& store) : store_(store) {}

  // The file by the name the diagnostics give it; its text from the editor or from disk
  // (Windows-1252 on disk unless the file is UTF-8).
  void add(const std::string& shown, const std::filesystem::path& path, bool utf8_on_disk) {
    FileRef& f = files_[shown];
    if (const Document* d = store_.find_path(path)) {
      f.uri = d->uri;
      f.text = d->text;
    } else {
      f.uri = uri_of_path(path);
      try {
        if (auto bytes = read_whole_file(path, {kMostDocumentBytes, MessageId::limit_description}))
          f.text = utf8_on_disk && is_valid_utf8(*bytes) ? std::move(*bytes) : cp1252_to_utf8(*bytes);
      } catch (const FileError&) {
      }
    }
    f.lines.emplace(f.text);
  }
  void add_document(const std::string& shown, const Document& d) {
    FileRef& f = files_[shown];
    f.uri = d.uri;
    f.text = d.text;
    f.lines.emplace(f.text);
  }
  const FileRef* find(const std::string& shown) const {
    const auto it = files_.find(shown);
    return it == files_.end() ? nullptr : &it->second;
  }

 private:
  const DocumentStore& store_;
  std::map<std::string, FileRef> files_;
};

// Renders the model's diagnostics into the check, each at its file's URI (a diagnostic of no
// file of the unit at the fallback's start).
class Publisher {
 public:
  Publisher(const Files& files, std::string fallback, Language language, UnitCheck& check)
      : files_(files), fallback_(std::move(fallback)), language_(language), check_(check) {}

  // Where a place lies: its URI and range.
  std::pair<std::string, Range> locate(const std::optional<Place>& place) const {
    const FileRef* f = place ? files_.find(place->file) : nullptr;
    if (!f) return {fallback_, Range{}};
    const Position start = position_of(*f->lines, place->line, place->column);
    const Position end =
        place->end_line > 0 ? position_of(*f->lines, place->end_line, place->end_column) : start;
    return {f->uri, Range{start, std::max(start, end)}};
  }

  void add(const Diagnostic& d) {
    const auto [uri, range] = locate(d.place);
    json out{{"range", to_json(range)},
             {"severity", d.accepted                        ? kHint
                          : d.severity == Severity::error   ? kError
                          : d.severity == Severity::warning ? kWarning
                                                            : kInformation},
             {"code", d.code},
             {"source", "scenario"},
             {"message", render(d.message, language_)}};
    if (!d.notes.empty()) {
      json related = json::array();
      for (const Diagnostic& n : d.notes) {
        const auto [note_uri, note_range] = n.place ? locate(n.place) : std::pair{uri, range};
        related.push_back({{"location", {{"uri", note_uri}, {"range", to_json(note_range)}}},
                           {"message", render(n.message, language_)}});
      }
      out["relatedInformation"] = std::move(related);
    }
    bool first = true;
    for (const Fix& fix : d.fixes) {
      const auto [fix_uri, fix_range] = locate(fix.place);
      json action{
          {"title", render(fix.title, language_)},
          {"kind", "quickfix"},
          {"diagnostics", json::array({out})},
          {"isPreferred", first},
          {"edit",
           {{"changes",
             {{fix_uri, json::array({{{"range", to_json(fix_range)}, {"newText", fix.replacement}}})}}}}}};
      check_.actions[uri].push_back({range, std::move(action)});
      first = false;
    }
    json& list = check_.diagnostics[uri];
    if (list.is_null()) list = json::array();
    list.push_back(std::move(out));
  }

 private:
  const Files& files_;
  std::string fallback_;
  Language language_;
  UnitCheck& check_;
};

// A document refused as too large: said at its start.
Diagnostic too_large(const Document& d, const std::string& shown) {
  return error_at("input-bounds", Place{shown, 1, 1, 1, 1},
                  msg(MessageId::lsp_too_large_document, std::to_string(d.refused_bytes),
                      std::to_string(kMostDocumentBytes)));
}

// The text of a pack's file as the pack's encoding writes it, from the editor's UTF-8 text;
// the characters it cannot hold, and a UTF-8 text the editor read as Windows-1252, are
// problems of the server's own.
std::string pack_bytes(const Document& d, const std::string& shown, TextEncoding encoding,
                       std::vector<Diagnostic>& problems) {
  if (encoding == TextEncoding::windows1252) {
    std::vector<Cp1252Problem> found;
    std::string bytes = utf8_to_cp1252_listing(d.text, found, kMostEncodingProblems);
    const LineIndex lines(d.text);
    for (const Cp1252Problem& p : found) {
      const TextPosition at = lines.position(p.offset, TextUnits::utf8);
      std::string hex;
      for (const char ch : d.text.substr(p.offset, p.length)) {
        static constexpr char kHex[] = "0123456789ABCDEF";
        hex += std::string(hex.empty() ? "" : " ") + kHex[static_cast<unsigned char>(ch) >> 4] +
               kHex[static_cast<unsigned char>(ch) & 15];
      }
      problems.push_back(error_at("pack-encoding", Place{shown, at.line, at.column, at.line, at.column + 1},
                                  msg(MessageId::enc_no_cp1252, d.text.substr(p.offset, p.length), hex)));
    }
    return bytes;
  }
  // UTF-8 that the editor decoded as Windows-1252 reads back as UTF-8 once encoded again:
  // those are the bytes the editor will save, and the ones the pack's program would read.
  if (is_cp1252_encodable(d.text)) {
    std::string bytes = utf8_to_cp1252(d.text);
    if (bytes != d.text && is_valid_utf8(bytes)) {
      const size_t k =
          static_cast<size_t>(std::find_if(bytes.begin(), bytes.end(),
                                           [](char c) { return static_cast<unsigned char>(c) >= 0x80; }) -
                              bytes.begin());
      char32_t cp = 0;
      const size_t n = std::max<size_t>(utf8_sequence(bytes, k, cp), 1);
      const TextPosition at = LineIndex(bytes).position(k);
      Diagnostic w;
      w.severity = Severity::warning;
      w.code = "pack-encoding";
      w.place = Place{shown, at.line, at.column, at.line, at.column + static_cast<int>(n)};
      w.message =
          msg(MessageId::lsp_read_as_windows_1252, cp1252_to_utf8(bytes.substr(k, n)), bytes.substr(k, n));
      problems.push_back(std::move(w));
      return bytes;
    }
  }
  return d.text;
}

std::optional<Format> format_by_records(std::string_view text) {
  const LineIndex lines(text);
  for (int l = 1; l <= lines.lines() && l <= 400; ++l) {
    std::vector<Cp1252Problem> problems;
    const std::string line = utf8_to_cp1252_listing(lines.line_text(l), problems, 0);
    const bool as_line = read_record_line(Format::line, line).has_value();
    const bool as_train = read_record_line(Format::train, line).has_value();
    if (as_line != as_train) return as_line ? Format::line : Format::train;
  }
  return std::nullopt;
}

}  // namespace

std::optional<Format> format_of(const Document& d) {
  if (d.language == kLineLanguage) return Format::line;
  if (d.language == kTrainLanguage) return Format::train;
  const std::string name = d.path ? name_of(*d.path) : std::string();
  if (name == kPackLine || (name.size() > kLineSuffix.size() && name.ends_with(kLineSuffix)))
    return Format::line;
  if (name == kPackTrain || (name.size() > kTrainSuffix.size() && name.ends_with(kTrainSuffix)))
    return Format::train;
  if (d.language == kDescriptionLanguage) return format_by_records(d.text).value_or(Format::line);
  return std::nullopt;
}

bool Unit::reads(const Document& d) const {
  switch (kind) {
    case UnitKind::pack:
      return d.path && d.path->parent_path() == folder && is_pack_name(name_of(*d.path));
    case UnitKind::pair:
      return d.path && (*d.path == line || *d.path == train);
    case UnitKind::alone:
      break;
  }
  return d.uri == uri;
}

Unit unit_of(const Document& d, const DocumentStore& store) {
  Unit u;
  u.uri = d.uri;
  u.key = "alone " + d.uri;
  u.format = format_of(d).value_or(Format::line);
  u.line_name = "L";
  u.train_number = "1";
  if (!d.path) return u;
  const std::filesystem::path folder = d.path->parent_path();
  const std::string name = name_of(*d.path);
  if (is_pack_name(name) && present(folder / kPackManifest, store)) {
    u.kind = UnitKind::pack;
    u.folder = folder;
    u.key = "pack " + utf8_of_path(folder);
    return u;
  }
  auto pair = [&](const std::string& line, const std::string& train) {
    u.kind = UnitKind::pair;
    u.folder = folder;
    u.line = folder / path_of_utf8(line_description_name(line));
    u.train = folder / path_of_utf8(train_description_name(line, train));
    u.line_name = line;
    u.train_number = train;
    u.key = "pair " + utf8_of_path(u.line) + "\n" + utf8_of_path(u.train);
    return u;
  };
  if (name.size() > kLineSuffix.size() && name.ends_with(kLineSuffix)) {
    const std::string line = name.substr(0, name.size() - kLineSuffix.size());
    const std::string prefix = line + "_";
    for (const std::string& other : names_in(folder, store)) {
      if (!other.starts_with(prefix) || !other.ends_with(kTrainSuffix) ||
          other.size() <= prefix.size() + kTrainSuffix.size())
        continue;
      const std::string train =
          other.substr(prefix.size(), other.size() - prefix.size() - kTrainSuffix.size());
      if (usable_identity(line, train)) return pair(line, train);
    }
    if (usable_identity(line, u.train_number)) u.line_name = line;
  } else if (name.size() > kTrainSuffix.size() && name.ends_with(kTrainSuffix)) {
    const std::string stem = name.substr(0, name.size() - kTrainSuffix.size());
    // The train number follows the last "_" that leaves a line with a description beside it.
    for (size_t at = stem.rfind('_'); at != std::string::npos && at > 0; at = stem.rfind('_', at - 1)) {
      const std::string line = stem.substr(0, at), train = stem.substr(at + 1);
      if (!train.empty() && usable_identity(line, train) &&
          present(folder / path_of_utf8(line_description_name(line)), store))
        return pair(line, train);
    }
    if (const size_t at = stem.rfind('_');
        at != std::string::npos && at > 0 && usable_identity(stem.substr(0, at), stem.substr(at + 1))) {
      u.line_name = stem.substr(0, at);
      u.train_number = stem.substr(at + 1);
    }
  }
  return u;
}

UnitCheck check_unit(const Unit& unit, const DocumentStore& store, Language language) {
  UnitCheck check;
  check.acceleration = kPlanningAcceleration;
  Files files(store);
  std::vector<Diagnostic> entries;
  TrackModel model;
  bool compiled = false;
  std::string fallback = unit.uri;

  if (unit.kind == UnitKind::pack) {
    PackFiles pack(unit.folder);
    const Document* manifest = store.find_path(unit.folder / kPackManifest);
    if (manifest) pack.open(std::string(kPackManifest), manifest->text);
    // The encoding the texts are written in, from the manifest as the editor holds it.
    TextEncoding encoding = TextEncoding::utf8;
    {
      std::vector<Diagnostic> ignored;
      if (const auto m = read_manifest(pack, ignored)) encoding = m->encoding;
    }
    std::vector<Diagnostic> own;
    std::set<std::string> refused;
    for (const std::string_view name : kPackNames) {
      const std::filesystem::path path = unit.folder / name;
      files.add(pack.shown(name), path, name == kPackManifest || encoding == TextEncoding::utf8);
      const Document* d = name == kPackManifest ? nullptr : store.find_path(path);
      if (!d) continue;
      if (fallback == unit.uri) fallback = d->uri;
      if (d->refused()) {
        own.push_back(too_large(*d, pack.shown(name)));
        refused.insert(pack.shown(name));
        pack.open(std::string(name), "");
      } else {
        pack.open(std::string(name), pack_bytes(*d, pack.shown(name), encoding, own));
      }
    }
    PackCheckOptions options;
    options.keep_accepted = true;
    options.compiled = &model;
    options.language = language;
    const PackCheck result = check_pack(pack, options);
    compiled = result.compile && result.compile->outcome.sections_created;
    check.acceleration = result.acceleration;
    entries = own;
    // What an empty text stands in for a refused one says nothing of its own.
    for (const Diagnostic& d : result.entries)
      if (!d.place || !refused.contains(d.place->file)) entries.push_back(d);
    if (manifest) fallback = fallback == unit.uri ? manifest->uri : fallback;
  } else {
    CompileRequest request;
    request.line_name = unit.line_name;
    request.train_number = unit.train_number;
    request.utf8_input = true;
    request.plot = true;
    Nowhere nowhere;
    request.sink = &nowhere;
    request.compiled = &model;
    request.language = language;
    std::vector<Diagnostic> own;
    std::set<std::string> refused;
    const Document* self = store.find(unit.uri);
    // A description's text: the editor's, or the file's (Windows-1252) made UTF-8.
    auto text_of = [&](const std::filesystem::path& path,
                       const std::string& shown) -> std::optional<std::string> {
      if (const Document* d = store.find_path(path)) {
        if (!d->refused()) return d->text;
        own.push_back(too_large(*d, shown));
        refused.insert(shown);
        return std::string();
      }
      try {
        if (auto bytes = read_whole_file(path, {kMostPairDescriptionBytes, MessageId::limit_description}))
          return cp1252_to_utf8(*bytes);
      } catch (const FileError&) {
      }
      return std::nullopt;  // the compile says it cannot be read
    };
    std::optional<std::string> only;  // a file alone: the one whose diagnostics are shown
    if (unit.kind == UnitKind::pair) {
      request.line_description = unit.line;
      request.train_description = unit.train;
      request.line_text = text_of(unit.line, unit.line.string());
      request.train_text = text_of(unit.train, unit.train.string());
      files.add(unit.line.string(), unit.line, false);
      files.add(unit.train.string(), unit.train, false);
      for (const auto& p : {unit.line, unit.train})
        if (const Document* d = store.find_path(p); d && fallback == unit.uri) fallback = d->uri;
      if (const Document* d = store.find_path(unit.train)) fallback = d->uri;
    } else if (self) {
      const std::filesystem::path own_path = self->path ? *self->path : path_of_utf8(self->uri);
      const std::filesystem::path other = path_of_utf8("<no partner>");
      const bool line = unit.format == Format::line;
      request.line_description = line ? own_path : other;
      request.train_description = line ? other : own_path;
      only = own_path.string();
      std::optional<std::string> text = self->text;
      if (self->refused()) {
        own.push_back(too_large(*self, *only));
        refused.insert(*only);
        text = std::string();
      }
      request.line_text = line ? text : std::string(kAnyLine);
      request.train_text = line ? std::string() : text;
      // The longest line there can be: its route plot is not wanted (a train needs none).
      request.plot = line;
      files.add_document(*only, *self);
    }
    if (unit.kind == UnitKind::pair || self) {
      const CompileReport report = compile_pair(request);
      compiled = report.outcome.sections_created;
      entries = own;
      for (const Diagnostic& d : report.entries) {
        if (d.place && refused.contains(d.place->file)) continue;
        if (only && d.place && d.place->file != *only) continue;
        entries.push_back(d);
      }
    }
  }
  Publisher publisher(files, fallback, language, check);
  for (const Diagnostic& d : entries) publisher.add(d);
  if (compiled) check.model = std::move(model);
  return check;
}

}  // namespace compactor::lsp
