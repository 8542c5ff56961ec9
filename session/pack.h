#pragma once
// A scenario pack read from its folder: the manifest scenario.json, the descriptions
// rendered as the program writes them, and the check a build runs before it makes the
// pack's program.

#include <filesystem>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sources/pack_text.h"
#include "session/compile_pair.h"

namespace compactor {

struct PackManifest {
  std::string line_name;
  std::string train_number;
  TextEncoding encoding = TextEncoding::utf8;
  std::vector<std::string> accepted_warnings;
  std::optional<double> acceleration;  // m/s², for the realistic run; the planning value when absent
};

// The names of the compiler's warnings, as -W<name> and accepted_warnings use them.
const std::vector<std::string_view>& known_warning_names();

// Reads <folder>/scenario.json. Every problem goes to diagnostics as
// "FILE:LINE:COL: error: ..." (one a line); nullopt when there was one.
std::optional<PackManifest> read_manifest(const std::filesystem::path& folder, std::string& diagnostics);

// One text file of the pack decoded into its lines, or nullopt with its problems in
// diagnostics (the first 500, and a note of how many more); problems, when given, gets
// their number. A file larger than any text of a pack can be is refused before it is read.
std::optional<DecodedText> read_pack_text(const std::filesystem::path& folder, std::string_view file,
                                          TextEncoding encoding, std::string& diagnostics, int* problems = nullptr);

// A description of the pack as the program writes it before compiling it: every line
// in Windows-1252 with CR LF. So scenario-compile --pack compiles the very bytes the
// pack's program will.
std::string rendered_description(const DecodedText& text);

// Fills the request from the pack: its identity, its two descriptions rendered as the
// program writes them, named by their paths in the pack, and its accepted warnings turned off. false, with the problems in
// diagnostics, when the manifest or a description cannot be used.
bool pack_request(const std::filesystem::path& folder, CompileRequest& request, std::string& diagnostics);

struct PackCheck {
  int problems = 0;
  std::string diagnostics;  // empty when the pack is sound
};

// Everything a build refuses: a manifest that is not sound or names the scenario with
// a name scenario-compile refuses; a text with a character without a Windows-1252 byte,
// or longer than the fixed-text writer's line table; a compiler fault or a taken
// reserved place; a warning that scenario.json does not accept. The compiled files go
// to out_dir.
PackCheck check_pack(const std::filesystem::path& folder, const std::filesystem::path& out_dir);

// The payload a program of the pack carries: its identity and its five texts as they stand
// in the folder. nullopt, with what is wrong in problem, when the manifest cannot be read or
// a text is missing. Every maker of programs (scenario-pack build, the page) writes this.
std::optional<std::string> pack_payload(const std::filesystem::path& folder, std::string& problem);

}  // namespace compactor
