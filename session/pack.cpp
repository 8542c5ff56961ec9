#include "session/pack.h"

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>
#include <set>

#include "compiler/diagnostics.h"
#include "compiler/warnings.h"
#include "platform/folder_store.h"
#include "sources/cp1252.h"
#include "sources/pack_payload.h"
#include "sources/text_bounds.h"
#include "sources/text_position.h"

namespace compactor {
namespace {

using nlohmann::json;

constexpr std::string_view kKeys[] = {"line_name", "train_number", "encoding", "accepted_warnings",
                                      "acceleration"};
constexpr std::string_view kSpaces = " \t\r\n";

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

// Where things stand in the manifest, for the messages and the fixes: the manifest is one
// flat object, so a key of it is the quoted name followed by a colon.
class ManifestText {
 public:
  ManifestText(std::string file, std::string_view text) : file_(std::move(file)), text_(text), lines_(text) {}

  size_t key(std::string_view name) const {
    const std::string quoted = json(std::string(name)).dump();
    for (size_t at = text_.find(quoted); at != std::string_view::npos; at = text_.find(quoted, at + 1)) {
      size_t i = at + quoted.size();
      while (i < text_.size() && kSpaces.find(text_[i]) != std::string_view::npos) ++i;
      if (i < text_.size() && text_[i] == ':') return at;
    }
    return 0;
  }
  size_t value(std::string_view name) const {
    size_t i = text_.find(':', key(name));
    if (i == std::string_view::npos) return 0;
    for (++i; i < text_.size() && kSpaces.find(text_[i]) != std::string_view::npos;) ++i;
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
  // The offset of the bracket that closes the list (or the brace that closes the object)
  // opened at open, or npos.
  size_t closing(size_t open) const {
    int depth = 0;
    for (size_t i = open; i < text_.size(); ++i) {
      if (text_[i] == '"') {
        i = string_end(text_, i);
        if (i == std::string_view::npos) return i;
        --i;
      } else if (text_[i] == '[' || text_[i] == '{') {
        ++depth;
      } else if ((text_[i] == ']' || text_[i] == '}') && --depth == 0) {
        return i;
      }
    }
    return std::string_view::npos;
  }
  // The place of the token that starts at offset: a string to its closing quote, anything
  // else to the next comma, bracket, brace or space; at least one character.
  Place token(size_t offset) const {
    offset = std::min(offset, text_.size());
    size_t end = offset;
    if (end < text_.size() && text_[end] == '"') {
      end = std::min(string_end(text_, end), text_.size());
    } else {
      while (end < text_.size() && std::string_view(",]}").find(text_[end]) == std::string_view::npos &&
             kSpaces.find(text_[end]) == std::string_view::npos)
        ++end;
    }
    return span(offset, std::max(end, offset + 1));
  }
  Place span(size_t from, size_t to) const {
    const TextPosition a = lines_.position(from, TextUnits::utf8);
    const TextPosition b = lines_.position(to, TextUnits::utf8);
    return Place{file_, a.line, a.column, b.line, b.column};
  }
  std::string_view text() const { return text_; }

 private:
  std::string file_;
  std::string_view text_;
  LineIndex lines_;
};

Diagnostic problem_at(const char* code, Place place, Message message) {
  return error_at(code, std::move(place), std::move(message));
}

// The file's bytes, or nullopt with its problem.
std::optional<std::string> read_pack_file(const PackFiles& files, std::string_view name, const ReadLimit& limit,
                                          std::vector<Diagnostic>& problems) {
  std::optional<std::string> bytes;
  try {
    bytes = files.read(name, limit);
  } catch (const FileError& e) {
    problems.push_back(problem_at("file-read", Place{files.shown(name)}, e.reason_message()));
    return std::nullopt;
  }
  if (!bytes)
    problems.push_back(problem_at("pack-file", Place{files.shown(name)}, msg(MessageId::pack_no_file, name)));
  return bytes;
}

std::string shown_value(const json& value) {
  return value.dump(-1, ' ', false, json::error_handler_t::replace);
}

// Compiled files no one keeps: a check that was given nowhere to put them.
class NoFiles : public FileSink {
 public:
  void replace_file(const std::string&, std::string_view) override {}
  void replace_file_from(const std::string&, ByteSource&) override {}
};

// The problems as terminal lines, one a problem: no source line is shown for them.
std::string as_text(const std::vector<Diagnostic>& problems, Language language = Language::en) {
  const DiagnosticPrinter printer(DescriptionSources{}, language);
  std::string out;
  for (const Diagnostic& d : problems) out += printer.format(d);
  return out;
}

}  // namespace

std::optional<std::string> PackFiles::read(std::string_view name, const ReadLimit& limit) const {
  if (const auto it = open_.find(name); it != open_.end()) return it->second;
  if (folder_.empty()) return std::nullopt;
  return read_whole_file(folder_ / name, limit);
}

std::string PackFiles::shown(std::string_view name) const {
  return folder_.empty() ? std::string(name) : (folder_ / name).string();
}

const std::vector<std::string_view>& known_warning_names() {
  static const std::vector<std::string_view> names = [] {
    std::vector<std::string_view> all;
    for (const WarningKind& w : all_warnings()) all.push_back(w.name);
    return all;
  }();
  return names;
}

std::optional<PackManifest> read_manifest(const PackFiles& files, std::vector<Diagnostic>& problems) {
  const std::string file = files.shown(kPackManifest);
  const std::optional<std::string> bytes =
      read_pack_file(files, kPackManifest, {kMostManifestBytes, MessageId::limit_manifest}, problems);
  if (!bytes) return std::nullopt;
  const ManifestText text(file, *bytes);
  auto problem = [&](size_t offset, Message message, const char* code = "pack-manifest") {
    problems.push_back(problem_at(code, text.token(offset), std::move(message)));
  };
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
    const size_t at = e.byte == 0 ? 0 : e.byte - 1;
    problems.push_back(
        problem_at("pack-manifest", text.span(at, at + 1), msg(MessageId::manifest_syntax, what)));
    return std::nullopt;
  }
  if (!doc.is_object()) {
    problem(0, msg(MessageId::manifest_not_object));
    return std::nullopt;
  }
  bool sound = true;
  std::set<std::string> seen;
  for (const std::string& key : keys) {
    if (!seen.insert(key).second) {
      problem(text.key(key), msg(MessageId::manifest_twice, key));
      sound = false;
    } else if (std::find(std::begin(kKeys), std::end(kKeys), key) == std::end(kKeys)) {
      problem(text.key(key), msg(MessageId::manifest_unknown_key, key));
      sound = false;
    }
  }

  PackManifest manifest;
  manifest.file = file;
  manifest.text = *bytes;
  const std::tuple<const char*, std::string*, MessageId> names[] = {
      {"line_name", &manifest.line_name, MessageId::manifest_line_name},
      {"train_number", &manifest.train_number, MessageId::manifest_train_number}};
  for (const auto& [key, target, named] : names) {
    if (!doc.contains(key)) {
      problem(0, msg(MessageId::manifest_missing, key));
      sound = false;
    } else if (!doc[key].is_string()) {
      problem(text.value(key), msg(MessageId::manifest_not_string, key));
      sound = false;
    } else {
      *target = doc[key].get<std::string>();
      if (const auto why = identity_problem_message(*target)) {
        problem(text.value(key), Message{named, {shown_value(doc[key])}, {*why}}, "pack-names");
        sound = false;
      }
    }
  }

  if (!identity_problem_message(manifest.line_name) && !identity_problem_message(manifest.train_number))
    if (const auto why = names_length_problem_message(manifest.line_name, manifest.train_number)) {
      problem(text.value("line_name"), Message{MessageId::manifest_names_too_long, {}, {*why}}, "pack-names");
      sound = false;
    }

  if (!doc.contains("encoding")) {
    problem(0, msg(MessageId::manifest_missing_encoding));
    sound = false;
  } else if (!doc["encoding"].is_string() || !encoding_named(doc["encoding"].get<std::string>())) {
    problem(text.value("encoding"), msg(MessageId::manifest_unknown_encoding, shown_value(doc["encoding"])));
    sound = false;
  } else {
    manifest.encoding = *encoding_named(doc["encoding"].get<std::string>());
  }

  if (doc.contains("accepted_warnings")) {
    const json& accepted = doc["accepted_warnings"];
    if (!accepted.is_array()) {
      problem(text.value("accepted_warnings"), msg(MessageId::manifest_not_a_list));
      sound = false;
    } else {
      const auto& known = known_warning_names();
      for (size_t i = 0; i < accepted.size(); ++i) {
        if (accepted[i].is_string() &&
            std::find(known.begin(), known.end(), accepted[i].get<std::string>()) != known.end()) {
          manifest.accepted_warnings.push_back(accepted[i].get<std::string>());
          continue;
        }
        const size_t at = text.element("accepted_warnings", i);
        Diagnostic d = problem_at("unknown-warning", text.token(at),
                                  msg(MessageId::manifest_unknown_warning, shown_value(accepted[i])));
        // A misspelt name: the fix puts the nearest known one in its place.
        if (accepted[i].is_string()) {
          const std::string near = nearest_word(accepted[i].get<std::string>(), known);
          if (!near.empty() && text.text()[at] == '"')
            d.fixes.push_back(Fix{*d.place, json(near).dump(), msg(MessageId::fix_use, near)});
        }
        problems.push_back(std::move(d));
        sound = false;
      }
    }
  }
  if (doc.contains("acceleration")) {
    const json& a = doc["acceleration"];
    if (!a.is_number() || !acceptable_acceleration(a.get<double>())) {
      auto shown = [](double v) {
        char buf[32];
        std::snprintf(buf, sizeof buf, "%g", v);
        return std::string(buf);
      };
      problem(text.value("acceleration"), msg(MessageId::manifest_acceleration, shown(kAccelerationLowest),
                                              shown(kAccelerationHighest), shown_value(a)));
      sound = false;
    } else {
      manifest.acceleration = a.get<double>();
    }
  }
  if (!sound) return std::nullopt;
  return manifest;
}

std::optional<PackManifest> read_manifest(const std::filesystem::path& folder, std::string& diagnostics,
                                          Language language) {
  std::vector<Diagnostic> problems;
  std::optional<PackManifest> manifest = read_manifest(PackFiles(folder), problems);
  diagnostics += as_text(problems, language);
  return manifest;
}

std::optional<DecodedText> read_pack_text(const PackFiles& files, std::string_view file,
                                          TextEncoding encoding, std::vector<Diagnostic>& problems,
                                          bool usable_despite_line_table, int* problems_found) {
  if (problems_found) *problems_found = 1;
  const std::optional<std::string> bytes =
      read_pack_file(files, file, {kMostPackTextBytes, MessageId::limit_pack_text}, problems);
  if (!bytes) return std::nullopt;
  DecodedText text = decode_pack_text(*bytes, encoding);
  bool usable = true;
  for (const TextProblem& p : text.problems) {
    const bool line_table = p.kind == TextProblem::Kind::line_table;
    usable = usable && usable_despite_line_table && line_table;
    problems.push_back(problem_at(p.kind == TextProblem::Kind::encoding ? "pack-encoding" : "pack-line-table",
                                  Place{files.shown(file), p.line, p.column, p.line, p.column + 1},
                                  p.message));
  }
  if (text.problems_not_kept > 0) {
    Diagnostic more = note(problems_not_shown_message(text.problems_not_kept), Place{files.shown(file)});
    more.code = "problems-dropped";
    problems.push_back(std::move(more));
  }
  if (problems_found) *problems_found = static_cast<int>(text.problems.size() + text.problems_not_kept);
  if (!usable) return std::nullopt;
  return text;
}

std::optional<DecodedText> read_pack_text(const std::filesystem::path& folder, std::string_view file,
                                          TextEncoding encoding, std::string& diagnostics, int* problems) {
  std::vector<Diagnostic> found;
  std::optional<DecodedText> text = read_pack_text(PackFiles(folder), file, encoding, found, false, problems);
  diagnostics += as_text(found);
  return text;
}

std::string rendered_description(const DecodedText& text) {
  std::string out;
  for (const std::string& line : text.lines) out += utf8_to_cp1252(line) + "\r\n";
  return out;
}

std::optional<Fix> accept_warning_fix(const PackManifest& manifest, std::string_view warning) {
  const ManifestText text(manifest.file, manifest.text);
  const std::string_view t = text.text();
  const std::string name = json(std::string(warning)).dump();
  // Just after the last character before offset that is not a space.
  auto after_last = [&](size_t offset) {
    while (offset > 0 && kSpaces.find(t[offset - 1]) != std::string_view::npos) --offset;
    return offset;
  };
  auto insert = [&](size_t at, std::string what) {
    Place place = text.span(at, at);
    return Fix{std::move(place), std::move(what), msg(MessageId::fix_accept_warning, std::string(warning))};
  };
  if (text.key("accepted_warnings") != 0) {
    const size_t open = text.value("accepted_warnings");
    if (open >= t.size() || t[open] != '[') return std::nullopt;
    const size_t close = text.closing(open);
    if (close == std::string_view::npos) return std::nullopt;
    const size_t end = after_last(close);
    return end == open + 1 ? insert(open + 1, name) : insert(end, ", " + name);
  }
  // No list yet: one after the last member of the object.
  const size_t first = t.find('{');
  if (first == std::string_view::npos) return std::nullopt;
  const size_t close = text.closing(first);
  if (close == std::string_view::npos) return std::nullopt;
  const size_t end = after_last(close);
  const bool lines = t.substr(first, close - first).find('\n') != std::string_view::npos;
  const std::string member = "\"accepted_warnings\": [" + name + "]";
  if (end == first + 1) return insert(first + 1, lines ? "\n  " + member + "\n" : member);
  return insert(end, (lines ? ",\n  " : ", ") + member);
}

bool pack_request(const PackFiles& files, CompileRequest& request, std::vector<Diagnostic>& problems) {
  const std::optional<PackManifest> manifest = read_manifest(files, problems);
  if (!manifest) return false;
  const auto line = read_pack_text(files, kPackLine, manifest->encoding, problems);
  const auto train = read_pack_text(files, kPackTrain, manifest->encoding, problems);
  if (!line || !train) return false;
  request.line_description = files.shown(kPackLine);
  request.train_description = files.shown(kPackTrain);
  request.line_text = rendered_description(*line);
  request.train_text = rendered_description(*train);
  request.line_name = manifest->line_name;
  request.train_number = manifest->train_number;
  request.accepted_warnings.insert(manifest->accepted_warnings.begin(), manifest->accepted_warnings.end());
  request.warning_fixes = [manifest = *manifest](const std::string& warning) {
    std::vector<Fix> fixes;
    if (auto fix = accept_warning_fix(manifest, warning)) fixes.push_back(std::move(*fix));
    return fixes;
  };
  request.acceleration = manifest->acceleration.value_or(kPlanningAcceleration);
  return true;
}

bool pack_request(const std::filesystem::path& folder, CompileRequest& request, std::string& diagnostics) {
  std::vector<Diagnostic> problems;
  const bool made = pack_request(PackFiles(folder), request, problems);
  diagnostics += as_text(problems);
  return made;
}

PackCheck check_pack(const PackFiles& files, const PackCheckOptions& options) {
  PackCheck check;
  std::vector<Diagnostic>& entries = check.entries;
  const std::optional<PackManifest> manifest = read_manifest(files, entries);
  // Without a manifest the texts are read as UTF-8 all the same, to say all there is to say.
  const TextEncoding encoding = manifest ? manifest->encoding : TextEncoding::utf8;
  std::optional<DecodedText> descriptions[2];
  check.problems = static_cast<int>(entries.size());
  for (std::string_view file : {kPackLine, kPackTrain, kPackCard, kPackForm, kPackNotes}) {
    const bool description = file == kPackLine || file == kPackTrain;
    const size_t before = entries.size();
    int found = 0;
    std::optional<DecodedText> text = read_pack_text(files, file, encoding, entries, description, &found);
    if (entries.size() > before) check.problems += found;
    if (description) {
      descriptions[file == kPackLine ? 0 : 1] = std::move(text);
      for (size_t i = before; i < entries.size(); ++i)
        check.line_table_exceeded = check.line_table_exceeded || entries[i].code == "pack-line-table";
    }
  }
  std::string text = as_text(entries, options.language);

  if (manifest && descriptions[0] && descriptions[1]) {
    CompileRequest request;
    request.line_description = files.shown(kPackLine);
    request.train_description = files.shown(kPackTrain);
    request.line_text = rendered_description(*descriptions[0]);
    request.train_text = rendered_description(*descriptions[1]);
    request.line_name = manifest->line_name;
    request.train_number = manifest->train_number;
    request.accepted_warnings.insert(manifest->accepted_warnings.begin(), manifest->accepted_warnings.end());
    request.keep_accepted = options.keep_accepted;
    request.warning_fixes = [&](const std::string& warning) {
      std::vector<Fix> fixes;
      if (auto fix = accept_warning_fix(*manifest, warning)) fixes.push_back(std::move(*fix));
      return fixes;
    };
    NoFiles nowhere;
    request.acceleration = check.acceleration = manifest->acceleration.value_or(kPlanningAcceleration);
    request.out_dir = options.out_dir;
    request.sink = options.sink ? options.sink : options.out_dir.empty() ? &nowhere : nullptr;
    request.compiled = options.compiled;
    request.language = options.language;
    // An accepted warning is not counted; any other one refuses the pack.
    CompileReport report = compile_pair(request);
    entries.insert(entries.end(), report.entries.begin(), report.entries.end());
    if (report.exit_status != 0 || !report.warnings.empty()) {
      text += report.diagnostics;
      if (report.exit_status != 0) ++check.problems;
      check.problems += static_cast<int>(report.warnings.size());
      std::set<std::string> refused;
      for (const Diagnostic& w : report.warnings) {
        if (!refused.insert(w.warning).second) continue;
        Diagnostic n = note(msg(MessageId::pack_unaccepted, w.warning), Place{manifest->file});
        n.code = "unaccepted-warning";
        n.warning = w.warning;
        if (auto fix = accept_warning_fix(*manifest, w.warning)) n.fixes.push_back(std::move(*fix));
        text += DiagnosticPrinter(DescriptionSources{}, options.language).format(n);
        entries.push_back(std::move(n));
      }
    }
    check.compile = std::move(report);
  }
  if (check.problems > 0) {
    const std::string folder = files.folder().string();
    text += (folder.empty() ? "" : printable(folder) + ": ") +
            render(msg(check.problems == 1 ? MessageId::pack_problems_one : MessageId::pack_problems_many,
                       std::to_string(check.problems)),
                   options.language) +
            "\n";
  }
  check.diagnostics = std::move(text);
  return check;
}

PackCheck check_pack(const std::filesystem::path& folder, const std::filesystem::path& out_dir) {
  PackCheckOptions options;
  options.out_dir = out_dir;
  return check_pack(PackFiles(folder), options);
}

std::optional<std::string> pack_payload(const std::filesystem::path& folder, std::string& problem,
                                        Language language) {
  const std::optional<PackManifest> manifest = read_manifest(folder, problem, language);
  if (!manifest) return std::nullopt;
  std::string texts[5];
  const std::string_view files[5] = {kPackLine, kPackTrain, kPackNotes, kPackForm, kPackCard};
  for (int i = 0; i < 5; ++i) {
    const std::filesystem::path path = folder / files[i];
    std::optional<std::string> bytes =
        read_whole_file(path, {kMostPackTextBytes, MessageId::limit_pack_text});
    if (!bytes) {
      problem = render(
          Message{
              MessageId::file_reason, {FileError::display_path(path)}, {msg(MessageId::pack_file_missing)}},
          language);
      return std::nullopt;
    }
    texts[i] = std::move(*bytes);
  }
  const PackBytes pack{manifest->line_name, manifest->train_number, manifest->encoding, texts[0], texts[1],
                       texts[2],           texts[3],              texts[4]};
  return encode_pack_payload(pack);
}

}  // namespace compactor
