#include "session/pack.h"

#include "compiler/warnings.h"

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <set>

#include "platform/folder_store.h"
#include "sources/cp1252.h"
#include "sources/pack_payload.h"
#include "sources/text_bounds.h"
#include "session/compile_pair.h"

namespace compactor {
namespace {

using nlohmann::json;

constexpr std::string_view kKeys[] = {"line_name", "train_number", "encoding", "accepted_warnings", "acceleration"};

std::string plural(size_t n, const char* word) {
  return std::to_string(n) + " " + word + (n == 1 ? "" : "s");
}

// "LINE:COL" of a byte offset of the text, the column in characters.
std::string place_of(std::string_view text, size_t offset) {
  offset = std::min(offset, text.size());
  int line = 1, column = 1;
  for (size_t i = 0; i < offset; ++i) {
    if (text[i] == '\n') {
      ++line;
      column = 1;
    } else if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
      ++column;
    }
  }
  return std::to_string(line) + ":" + std::to_string(column);
}

// The offset just past a JSON string that starts at text[i] (a quote), or npos.
size_t string_end(std::string_view text, size_t i) {
  for (++i; i < text.size(); ++i) {
    if (text[i] == '\\')
      ++i;
    else if (text[i] == '"')
      return i + 1;
  }
  return std::string_view::npos;
}

// Where things stand in the manifest, for the messages: the manifest is one flat object,
// so a key of it is the quoted name followed by a colon.
class ManifestText {
 public:
  explicit ManifestText(std::string_view text) : text_(text) {}

  size_t key(std::string_view name) const {
    const std::string quoted = json(std::string(name)).dump();
    for (size_t at = text_.find(quoted); at != std::string_view::npos; at = text_.find(quoted, at + 1)) {
      size_t i = at + quoted.size();
      while (i < text_.size() && std::string_view(" \t\r\n").find(text_[i]) != std::string_view::npos) ++i;
      if (i < text_.size() && text_[i] == ':') return at;
    }
    return 0;
  }
  size_t value(std::string_view name) const {
    size_t i = text_.find(':', key(name));
    if (i == std::string_view::npos) return 0;
    for (++i; i < text_.size() && std::string_view(" \t\r\n").find(text_[i]) != std::string_view::npos;) ++i;
    return i;
  }
  // The n-th element (from 0) of the list that is the value of the key.
  size_t element(std::string_view name, size_t n) const {
    size_t i = value(name) + 1;
    for (size_t k = 0; i < text_.size(); ++i) {
      if (text_[i] == '"') {
        if (k++ == n) return i;
        i = string_end(text_, i);
        if (i == std::string_view::npos) break;
        --i;
      }
    }
    return value(name);
  }
  std::string_view text() const { return text_; }

 private:
  std::string_view text_;
};

std::string read_error(const std::filesystem::path& path, const std::string& reason) {
  return path.string() + ": error: " + reason + "\n";
}

}  // namespace

const std::vector<std::string_view>& known_warning_names() {
  static const std::vector<std::string_view> names = [] {
    std::vector<std::string_view> all;
    for (const WarningKind& w : all_warnings()) all.push_back(w.name);
    return all;
  }();
  return names;
}

std::optional<PackManifest> read_manifest(const std::filesystem::path& folder, std::string& diagnostics) {
  const std::filesystem::path path = folder / kPackManifest;
  const std::string file = path.string();
  std::optional<std::string> bytes;
  try {
    bytes = read_whole_file(path, {kMostManifestBytes, "a scenario.json"});
  } catch (const FileError& e) {
    diagnostics += read_error(path, e.reason());
    return std::nullopt;
  }
  if (!bytes) {
    diagnostics += read_error(path, "the pack has no " + std::string(kPackManifest));
    return std::nullopt;
  }
  const ManifestText text(*bytes);
  std::vector<std::string> keys;
  json doc;
  try {
    doc = json::parse(*bytes, [&](int depth, json::parse_event_t event, json& parsed) {
      if (depth == 1 && event == json::parse_event_t::key) keys.push_back(parsed.get<std::string>());
      return true;
    });
  } catch (const json::parse_error& e) {
    // The message after nlohmann's own "[json.exception.parse_error.101] parse error at line 1, column 2: ".
    std::string what = e.what();
    const size_t colon = what.find(": ");
    if (colon != std::string::npos) what = what.substr(colon + 2);
    diagnostics += file + ":" + place_of(*bytes, e.byte == 0 ? 0 : e.byte - 1) + ": error: " + what + "\n";
    return std::nullopt;
  }
  auto problem = [&](size_t offset, const std::string& message) {
    diagnostics += file + ":" + place_of(*bytes, offset) + ": error: " + message + "\n";
  };
  if (!doc.is_object()) {
    problem(0, "the manifest must be a JSON object");
    return std::nullopt;
  }
  bool sound = true;
  std::set<std::string> seen;
  for (const std::string& key : keys) {
    if (!seen.insert(key).second) {
      problem(text.key(key), "\"" + key + "\" is given twice");
      sound = false;
    } else if (std::find(std::begin(kKeys), std::end(kKeys), key) == std::end(kKeys)) {
      problem(text.key(key), "unknown key \"" + key +
                                 "\" (the keys are line_name, train_number, encoding, accepted_warnings and acceleration)");
      sound = false;
    }
  }

  PackManifest manifest;
  const std::pair<const char*, std::string*> names[] = {{"line_name", &manifest.line_name},
                                                        {"train_number", &manifest.train_number}};
  for (const auto& [key, target] : names) {
    if (!doc.contains(key)) {
      problem(0, std::string("missing \"") + key + "\"");
      sound = false;
    } else if (!doc[key].is_string()) {
      problem(text.value(key), std::string("\"") + key + "\" must be a string");
      sound = false;
    } else {
      *target = doc[key].get<std::string>();
      if (const auto why = identity_problem(*target)) {
        problem(text.value(key),
                std::string(key == std::string("line_name") ? "the line name " : "the train number ") +
                    doc[key].dump(-1, ' ', false, json::error_handler_t::replace) + " " + *why);
        sound = false;
      }
    }
  }

  if (!identity_problem(manifest.line_name) && !identity_problem(manifest.train_number))
    if (const auto why = names_length_problem(manifest.line_name, manifest.train_number)) {
      problem(text.value("line_name"), "the line name and the train number " + *why);
      sound = false;
    }

  if (!doc.contains("encoding")) {
    problem(0, "missing \"encoding\" (utf-8 or windows-1252)");
    sound = false;
  } else if (!doc["encoding"].is_string() || !encoding_named(doc["encoding"].get<std::string>())) {
    problem(text.value("encoding"), "unknown encoding " +
                                        doc["encoding"].dump(-1, ' ', false, json::error_handler_t::replace) +
                                        " (utf-8 or windows-1252)");
    sound = false;
  } else {
    manifest.encoding = *encoding_named(doc["encoding"].get<std::string>());
  }

  if (doc.contains("accepted_warnings")) {
    const json& accepted = doc["accepted_warnings"];
    if (!accepted.is_array()) {
      problem(text.value("accepted_warnings"), "\"accepted_warnings\" must be a list of warning names");
      sound = false;
    } else {
      for (size_t i = 0; i < accepted.size(); ++i) {
        const auto& names_known = known_warning_names();
        if (!accepted[i].is_string() || std::find(names_known.begin(), names_known.end(),
                                                  accepted[i].get<std::string>()) == names_known.end()) {
          problem(text.element("accepted_warnings", i),
                  "unknown warning " + accepted[i].dump(-1, ' ', false, json::error_handler_t::replace) +
                      " in \"accepted_warnings\"");
          sound = false;
        } else {
          manifest.accepted_warnings.push_back(accepted[i].get<std::string>());
        }
      }
    }
  }
  if (doc.contains("acceleration")) {
    const json& a = doc["acceleration"];
    if (!a.is_number() || !acceptable_acceleration(a.get<double>())) {
      char range[96];
      std::snprintf(range, sizeof range, "a number of metres per second squared from %g to %g", kAccelerationLowest,
                    kAccelerationHighest);
      problem(text.value("acceleration"),
              "\"acceleration\" must be " + std::string(range) + ", not " +
                  a.dump(-1, ' ', false, json::error_handler_t::replace));
      sound = false;
    } else {
      manifest.acceleration = a.get<double>();
    }
  }
  if (!sound) return std::nullopt;
  return manifest;
}

std::optional<DecodedText> read_pack_text(const std::filesystem::path& folder, std::string_view file,
                                          TextEncoding encoding, std::string& diagnostics, int* problems) {
  const std::filesystem::path path = folder / file;
  std::optional<std::string> bytes;
  if (problems) *problems = 1;
  try {
    bytes = read_whole_file(path, {kMostPackTextBytes, "a text of a pack"});
  } catch (const FileError& e) {
    diagnostics += read_error(path, e.reason());
    return std::nullopt;
  }
  if (!bytes) {
    diagnostics += read_error(path, "the pack has no " + std::string(file));
    return std::nullopt;
  }
  DecodedText text = decode_pack_text(*bytes, encoding);
  for (const TextProblem& p : text.problems)
    diagnostics += path.string() + ":" + std::to_string(p.line) + ":" + std::to_string(p.column) +
                   ": error: " + p.message + "\n";
  if (text.problems_not_kept > 0)
    diagnostics += path.string() + ": note: " + problems_not_shown_message(text.problems_not_kept) + "\n";
  if (problems) *problems = static_cast<int>(text.problems.size() + text.problems_not_kept);
  if (!text.problems.empty()) return std::nullopt;
  return text;
}

std::string rendered_description(const DecodedText& text) {
  std::string out;
  for (const std::string& line : text.lines) out += utf8_to_cp1252(line) + "\r\n";
  return out;
}

bool pack_request(const std::filesystem::path& folder, CompileRequest& request, std::string& diagnostics) {
  const std::optional<PackManifest> manifest = read_manifest(folder, diagnostics);
  if (!manifest) return false;
  const auto line = read_pack_text(folder, kPackLine, manifest->encoding, diagnostics);
  const auto train = read_pack_text(folder, kPackTrain, manifest->encoding, diagnostics);
  if (!line || !train) return false;
  request.line_description = folder / kPackLine;
  request.train_description = folder / kPackTrain;
  request.line_text = rendered_description(*line);
  request.train_text = rendered_description(*train);
  request.line_name = manifest->line_name;
  request.train_number = manifest->train_number;
  for (const std::string& name : manifest->accepted_warnings) request.disabled_warnings.insert(name);
  request.acceleration = manifest->acceleration.value_or(kPlanningAcceleration);
  return true;
}

PackCheck check_pack(const std::filesystem::path& folder, const std::filesystem::path& out_dir) {
  PackCheck check;
  auto count = [](const std::string& diagnostics) {
    return static_cast<int>(std::count(diagnostics.begin(), diagnostics.end(), '\n'));
  };
  const std::optional<PackManifest> manifest = read_manifest(folder, check.diagnostics);
  check.problems = count(check.diagnostics);
  // Without a manifest the texts are read as UTF-8 all the same, to say all there is to say.
  const TextEncoding encoding = manifest ? manifest->encoding : TextEncoding::utf8;
  bool descriptions = true;
  for (std::string_view file : {kPackLine, kPackTrain, kPackCard, kPackForm, kPackNotes}) {
    int found = 0;
    const bool read = read_pack_text(folder, file, encoding, check.diagnostics, &found).has_value();
    if (!read) check.problems += found;
    if (!read && (file == kPackLine || file == kPackTrain)) descriptions = false;
  }

  CompileRequest request;
  std::string unused;
  if (manifest && descriptions && pack_request(folder, request, unused)) {
    request.out_dir = out_dir;
    // An accepted warning is not even shown (pack_request turned it off); any other one
    // refuses the pack.
    const CompileReport report = compile_pair(request);
    if (report.exit_status != 0 || !report.warnings.empty()) {
      check.diagnostics += report.diagnostics;
      if (report.exit_status != 0) ++check.problems;
      check.problems += static_cast<int>(report.warnings.size());
      std::set<std::string> refused;
      for (const Diagnostic& w : report.warnings)
        if (refused.insert(w.warning).second)
          check.diagnostics += (folder / kPackManifest).string() + ": note: the warning \"" + w.warning +
                               "\" is not in \"accepted_warnings\"\n";
    }
  }
  if (check.problems > 0)
    check.diagnostics += folder.string() + ": " + plural(static_cast<size_t>(check.problems), "problem") +
                         "; the program is not built\n";
  return check;
}

std::optional<std::string> pack_payload(const std::filesystem::path& folder, std::string& problem) {
  const std::optional<PackManifest> manifest = read_manifest(folder, problem);
  if (!manifest) return std::nullopt;
  std::string texts[5];
  const std::string_view files[5] = {kPackLine, kPackTrain, kPackNotes, kPackForm, kPackCard};
  for (int i = 0; i < 5; ++i) {
    const std::filesystem::path path = folder / files[i];
    std::optional<std::string> bytes = read_whole_file(path, {kMostPackTextBytes, "a text of a pack"});
    if (!bytes) {
      problem = FileError::display_path(path) + ": the file is missing";
      return std::nullopt;
    }
    texts[i] = std::move(*bytes);
  }
  const PackBytes pack{manifest->line_name, manifest->train_number, manifest->encoding, texts[0], texts[1],
                       texts[2],           texts[3],              texts[4]};
  return encode_pack_payload(pack);
}

}  // namespace compactor
