#pragma once
// A scenario pack: the manifest scenario.json, the descriptions rendered as the program
// writes them, and the check a build runs before it makes the pack's program. The texts
// come from the pack's folder, or from an editor's buffers in front of it.

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/env.h"
#include "session/compile_pair.h"
#include "sources/diagnostic.h"
#include "sources/pack_text.h"

namespace compactor {

// The files of a pack: the texts an editor holds open, by file name (line.txt ...), in
// front of the pack's folder on disk. An open text wins over the file on disk; without a
// folder only the open texts are there.
class PackFiles {
 public:
  explicit PackFiles(std::filesystem::path folder = {}) : folder_(std::move(folder)) {}
  void open(std::string name, std::string bytes) { open_[std::move(name)] = std::move(bytes); }

  // The file's bytes, nullopt when there is no such file; FileError when it cannot be read.
  // A file on disk larger than limit allows is refused before it is read.
  std::optional<std::string> read(std::string_view name, const ReadLimit& limit = {}) const;
  // The name the diagnostics give the file: its path in the folder, or its name alone.
  std::string shown(std::string_view name) const;
  const std::filesystem::path& folder() const { return folder_; }

 private:
  std::filesystem::path folder_;
  std::map<std::string, std::string, std::less<>> open_;
};

struct PackManifest {
  std::string line_name;
  std::string train_number;
  TextEncoding encoding = TextEncoding::utf8;
  std::vector<std::string> accepted_warnings;
  std::string file;                    // as shown
  std::string text;                    // the manifest as it stands, for the fixes that edit it
  std::optional<double> acceleration;  // m/s², for the realistic run; the planning value when absent
};

// The names of the compiler's warnings, as -W<name> and accepted_warnings use them.
const std::vector<std::string_view>& known_warning_names();

// Reads scenario.json. Every problem goes to problems (code pack-manifest, pack-names,
// unknown-warning, pack-file or file-read) at its place; nullopt when there was one.
std::optional<PackManifest> read_manifest(const PackFiles& files, std::vector<Diagnostic>& problems);
// The same with the problems as terminal lines ("FILE:LINE:COL: error: ..."), in the language.
std::optional<PackManifest> read_manifest(const std::filesystem::path& folder, std::string& diagnostics,
                                          Language language = Language::en);

// One text file of the pack decoded into its lines, or nullopt with its problems
// (pack-encoding, pack-line-table, pack-file, file-read: the first 500, and a note of how many
// more, problems-dropped); problems_found, when given, gets their number. A file larger than
// any text of a pack can be is refused before it is read. With usable_despite_line_table the
// lines come back when every problem is one of the line table (the text still compiles, as
// a pair).
std::optional<DecodedText> read_pack_text(const PackFiles& files, std::string_view file,
                                          TextEncoding encoding, std::vector<Diagnostic>& problems,
                                          bool usable_despite_line_table = false, int* problems_found = nullptr);
// The same with the problems as terminal lines.
std::optional<DecodedText> read_pack_text(const std::filesystem::path& folder, std::string_view file,
                                          TextEncoding encoding, std::string& diagnostics, int* problems = nullptr);

// A description of the pack as the program writes it before compiling it: every line
// in Windows-1252 with CR LF. So scenario-compile --pack compiles the very bytes the
// pack's program will.
std::string rendered_description(const DecodedText& text);

// The fix that lists the warning in the manifest's accepted_warnings, the manifest
// staying valid JSON; nullopt when accepted_warnings is there and no list.
std::optional<Fix> accept_warning_fix(const PackManifest& manifest, std::string_view warning);

// Fills the request from the pack: its identity, its two descriptions rendered as the
// program writes them, named as the pack's files, its accepted warnings, and for every
// other warning the fix that accepts it. false, with the problems, when the manifest or a
// description cannot be used.
bool pack_request(const PackFiles& files, CompileRequest& request, std::vector<Diagnostic>& problems);
bool pack_request(const std::filesystem::path& folder, CompileRequest& request, std::string& diagnostics);

struct PackCheckOptions {
  std::filesystem::path out_dir;     // where the compiled files go (none: nowhere kept)
  FileSink* sink = nullptr;          // or the front's own sink
  TrackModel* compiled = nullptr;    // the compiled model, for a front that shows it
  bool keep_accepted = false;        // keep the accepted warnings in the list, marked so
  Language language = Language::en;  // of the terminal text
};

struct PackCheck {
  // What a build refuses, counted as the build counts: each pack problem, a compile that
  // fails, each warning scenario.json does not accept.
  int problems = 0;
  // Everything in one list: the pack's problems, the compiler's diagnostics of its
  // descriptions, a note for each warning scenario.json does not accept.
  std::vector<Diagnostic> entries;
  std::optional<CompileReport> compile;         // when the descriptions could be compiled
  bool line_table_exceeded = false;             // a description too long for a program: compiled as a pair
  double acceleration = kPlanningAcceleration;  // the realistic run's, the manifest's when it gives one
  std::string diagnostics;                      // the terminal text: empty when the pack is sound
};

// The whole check in one call: a manifest that is not sound or names the scenario with a
// name scenario-compile refuses; a text with a byte or character its encoding or
// Windows-1252 does not have, or longer than the fixed-text writer's line table; a compiler
// fault or a taken reserved place; a warning that scenario.json does not accept. The
// descriptions are compiled whenever they can be, a description longer than the line table
// included, so that one call gives the compiler's diagnostics with the pack's.
PackCheck check_pack(const PackFiles& files, const PackCheckOptions& options);
// The check of a pack's folder, the compiled files going to out_dir.
PackCheck check_pack(const std::filesystem::path& folder, const std::filesystem::path& out_dir);

// The payload a program of the pack carries: its identity and its five texts as they stand
// in the folder. nullopt, with what is wrong in problem (in the language), when the manifest
// cannot be read or a text is missing. Every maker of programs (scenario-pack build, the
// page) writes this.
std::optional<std::string> pack_payload(const std::filesystem::path& folder, std::string& problem,
                                        Language language = Language::en);

}  // namespace compactor
