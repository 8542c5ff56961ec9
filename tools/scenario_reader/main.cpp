// scenario-inspect: shows what the simulator will load from a compiled scenario.
#include <CLI/CLI.hpp>
#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <sstream>

#include "platform/env.h"
#include "platform/folder_store.h"
#include "platform/set_commit.h"
#include "reader/reader_check.h"
#include "reader/reader_json.h"
#include "reader/reader_svg.h"
#include "reader/reader_tables.h"
#include "session/language.h"
#include "session/reader_files.h"

namespace compactor::inspect {
namespace {

constexpr int kExitDone = 0;
constexpr int kExitCheckFailed = 1;
// --json writes about 60 MB for a scenario of the longest line; a larger file is none of its.
constexpr uint64_t kMostModelJsonBytes = uint64_t{256} << 20;

Language language = Language::en;

// A line of the tool's own on standard error, "scenario-inspect: ...", in the language.
int refuse(const Message& message) {
  std::cerr << "scenario-inspect: " << render(message, language) << '\n';
  return kExitFileError;
}

// An argument after "--sections" that names a file or an option rather than a range: one
// that is an option, names a file that exists, or ends in .dat or .sim.
bool names_a_file(const std::string& a) {
  if (a.empty() || a[0] == '-') return true;
  std::error_code ec;
  if (std::filesystem::exists(a, ec)) return true;
  const auto ends_with = [&](std::string_view suffix) {
    return a.size() >= suffix.size() && a.compare(a.size() - suffix.size(), suffix.size(), suffix) == 0;
  };
  return ends_with(".dat") || ends_with(".sim");
}

// "--sections" takes an optional range: a following range is its value, a following file
// is not, and anything else is taken as a range, so that its error names it as one.
std::vector<std::string> arguments(int argc, char** argv) {
  std::vector<std::string> args(argv + 1, argv + argc);
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] != "--sections") continue;
    if (i + 1 == args.size() || (!parse_section_range(args[i + 1]) && names_a_file(args[i + 1])))
      args[i] = "--sections=:";
  }
  std::reverse(args.begin(), args.end());  // CLI11 takes them last first
  return args;
}

ScenarioPaths paths_of(const std::vector<std::string>& files) {
  ScenarioPaths p{files.at(0), files.at(1), std::nullopt};
  if (files.size() > 2) p.plot = files[2];
  return p;
}

int from_json(const std::string& json_file, const ScenarioPaths& paths) {
  // Not waited on when it is a FIFO, and not read when it is larger than --json writes for
  // the longest line.
  std::optional<std::string> text;
  try {
    text = read_whole_file(json_file, {kMostModelJsonBytes, "a scenario's JSON"});
  } catch (const FileError& e) {
    throw InspectError(e.what());
  }
  if (!text) throw InspectError(render(msg(MessageId::inspect_cannot_read, json_file), language));
  Json j;
  try {
    j = Json::parse(*text);
  } catch (const Json::parse_error& e) {
    throw InspectError(json_file + ": " + e.what());
  }
  write_scenario(model_from_json(j), paths);
  return kExitDone;
}

int run(int argc, char** argv) {
  CLI::App app{
      "Reads the compiled files of a scenario back: the section array (<line>_<train>.dat), the slot table "
      "(<line>_<train>.sim) and, when given, the route plot (<line>_linea.dat). Without an option it prints "
      "the slot table.\nExit status: 0 done, 1 --check found something wrong, 2 a file is missing or "
      "damaged, or the command line is wrong.",
      "scenario-inspect"};
  // A path such as /tmp/x is a file, not a Windows-style option, on every system.
  app.allow_windows_style_options(false);
  std::vector<std::string> files;
  std::string range_text;
  std::string svg_file;
  std::string json_in;
  bool slots = false;
  bool json = false;
  bool check = false;
  app.add_option("files", files, "SECTIONS.dat SLOTS.sim [ROUTE_linea.dat]")
      ->expected(2, 3)
      ->required()
      ->type_name("FILE");
  auto* sections = app.add_option("--sections", range_text,
                                  "table of sections, all, FROM:TO or one index (either end may be left out)")
                       ->expected(0, 1)
                       ->type_name("[FROM:TO]");
  app.add_flag("--slots", slots, "table of the non-empty slots and the header values by meaning");
  app.add_flag("--json", json, "the whole model as JSON on standard output (with --timetable: the timetable)");
  bool timetable = false;
  app.add_flag(
      "--timetable", timetable,
      "table of the stations: position, chainage, timetable time, the fastest possible time from the "
      "timed station before at the speed limits, the realistic run's time, and the margin");
  double acceleration = kPlanningAcceleration;
  app.add_option(
         "--acceleration", acceleration,
         "planning acceleration of the realistic run in m/s\xc2\xb2 (--timetable, --svg), as a pack's "
         "scenario.json gives it")
      ->check(CLI::Range(kAccelerationLowest, kAccelerationHighest))
      ->capture_default_str();
  app.add_option("--svg", svg_file, "write a picture of the scenario (route plan and line profile) to FILE")
      ->type_name("FILE");
  app.add_flag("--check", check,
               "verify sizes, markers 610 and 5121, the scenario codes and the sign and station references; "
               "say what was skipped; exit 1 when something is off");
  app.add_option("--from-json", json_in,
                 "write the files named on the command line from FILE, the JSON of --json (no other option)")
      ->type_name("FILE");
  app.set_version_flag("--version", std::string("scenario-inspect ") + SCENARIO_INSPECT_VERSION);
  std::string lang;
  app.add_option("--lang", lang,
                 "language of the messages, en or it (default: from LC_ALL, LC_MESSAGES or LANG, else en)");
  try {
    std::vector<std::string> args = arguments(argc, argv);
    app.parse(args);
  } catch (const CLI::ParseError& e) {
    const int code = app.exit(e);
    return code == 0 ? 0 : kExitFileError;
  }
  const bool any_view = sections->count() > 0 || slots || json || !svg_file.empty() || check || timetable;
  if (!json_in.empty()) {
    if (any_view) return refuse(msg(MessageId::inspect_from_json_alone));
    return from_json(json_in, paths_of(files));
  }

  const std::optional<SectionRange> range = parse_section_range(range_text.empty() ? ":" : range_text);
  if (sections->count() > 0 && !range) return refuse(msg(MessageId::inspect_bad_range, range_text));
  if (check) {
    // A write cut short leaves its journal beside the set: the files may not belong together.
    const std::filesystem::path folder = std::filesystem::path(files.at(1)).parent_path();
    if (has_interrupted_write(folder.empty() ? std::filesystem::path(".") : folder)) {
      const std::string shown = folder.empty() ? "." : folder.string();
      std::cout << render(msg(MessageId::inspect_interrupted, shown), language) << '\n';
      return kExitCheckFailed;
    }
  }
  const TrackModel model = load_scenario(paths_of(files));
  std::ostringstream out;
  if (sections->count() > 0) {
    if (const auto problem = section_range_problem(*range, model.section_count()))
      return refuse(msg(MessageId::inspect_no_section, range_text, *problem));
    write_sections_table(out, model, *range);
  }
  if (slots || !any_view) {
    if (out.tellp() > 0) out << '\n';
    write_slots_table(out, model);
  }
  if (timetable && json) {
    out << timetable_json(model, acceleration).dump(1) << '\n';
  } else if (timetable) {
    if (out.tellp() > 0) out << '\n';
    write_timetable_table(out, model, acceleration);
  } else if (json) {
    out << model_to_json(model).dump(1) << '\n';
  }
  if (!svg_file.empty()) {
    try {
      replace_file_atomically(svg_file, scenario_svg(model, acceleration));
    } catch (const FileError& e) {
      throw InspectError(e.what());
    }
  }
  int status = kExitDone;
  if (check) {
    const auto items = check_scenario(model);
    if (out.tellp() > 0) out << '\n';
    out << check_report(items);
    if (!all_ok(items)) status = kExitCheckFailed;
  }
  std::cout << out.str();
  return status;
}

}  // namespace
}  // namespace compactor::inspect

int main(int argc, char** argv) {
  compactor::use_binary_standard_streams();
  const std::optional<std::string_view> lang = compactor::lang_argument(argc, argv);
  const std::optional<compactor::Language> chosen = compactor::tool_language(lang);
  if (!chosen)
    return compactor::inspect::refuse(
        compactor::msg(compactor::MessageId::tool_unknown_language, std::string(lang.value_or(""))));
  compactor::inspect::language = *chosen;
  try {
    return compactor::inspect::run(argc, argv);
  } catch (const std::exception& e) {  // InspectError above all: a file missing or damaged
    std::cerr << "scenario-inspect: " << e.what() << '\n';
    return compactor::kExitFileError;
  }
}
