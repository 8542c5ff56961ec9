// scenario-inspect: shows what the simulator will load from a compiled scenario.
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
#include "session/tool_cli.h"

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
    text = read_whole_file(json_file, {kMostModelJsonBytes, MessageId::limit_model_json});
  } catch (const FileError& e) {
    throw InspectError(e.message());
  }
  if (!text) throw InspectError(msg(MessageId::inspect_cannot_read, json_file));
  Json j;
  try {
    j = Json::parse(*text);
  } catch (const Json::parse_error& e) {
    throw InspectError(msg(MessageId::inspect_json_syntax, json_file, e.what()));
  }
  write_scenario(model_from_json(j), paths);
  return kExitDone;
}

int run(int argc, char** argv) {
  const auto say = [](MessageId id) { return render(msg(id), language); };
  CLI::App app{say(MessageId::help_inspect_about), "scenario-inspect"};
  speak(app, language);
  // A path such as /tmp/x is a file, not a Windows-style option, on every system.
  app.allow_windows_style_options(false);
  std::vector<std::string> files;
  std::string range_text;
  std::string svg_file;
  std::string json_in;
  bool slots = false;
  bool json = false;
  bool check = false;
  app.add_option(say(MessageId::help_inspect_files_name), files, say(MessageId::help_inspect_files))
      ->expected(2, 3)
      ->required()
      ->type_name("FILE");
  auto* sections = app.add_option("--sections", range_text, say(MessageId::help_inspect_sections))
                       ->expected(0, 1)
                       ->type_name(say(MessageId::help_inspect_range_type));
  app.add_flag("--slots", slots, say(MessageId::help_inspect_slots));
  app.add_flag("--json", json, say(MessageId::help_inspect_json));
  bool timetable = false;
  app.add_flag("--timetable", timetable, say(MessageId::help_inspect_timetable));
  double acceleration = kPlanningAcceleration;
  std::ostringstream lowest, highest;  // as CLI11 writes them
  lowest << kAccelerationLowest;
  highest << kAccelerationHighest;
  app.add_option("--acceleration", acceleration, say(MessageId::help_inspect_acceleration))
      ->check(CLI::Range(kAccelerationLowest, kAccelerationHighest)
                  .description(render(msg(MessageId::cli_range_type, lowest.str(), highest.str()), language)))
      ->capture_default_str();
  app.add_option("--svg", svg_file, say(MessageId::help_inspect_svg))->type_name("FILE");
  app.add_flag("--check", check, say(MessageId::help_inspect_check));
  app.add_option("--from-json", json_in, say(MessageId::help_inspect_from_json))->type_name("FILE");
  app.set_version_flag("--version", std::string("scenario-inspect ") + SCENARIO_INSPECT_VERSION,
                       say(MessageId::cli_version_flag));
  std::string lang;
  app.add_option("--lang", lang, say(MessageId::help_lang));
  name_value_types(app, language);
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
      return refuse(Message{MessageId::inspect_no_section, {range_text}, {*problem}});
    write_sections_table(out, model, *range, language);
  }
  if (slots || !any_view) {
    if (out.tellp() > 0) out << '\n';
    write_slots_table(out, model, language);
  }
  if (timetable && json) {
    out << timetable_json(model, acceleration).dump(1) << '\n';
  } else if (timetable) {
    if (out.tellp() > 0) out << '\n';
    write_timetable_table(out, model, acceleration, language);
  } else if (json) {
    out << model_to_json(model).dump(1) << '\n';
  }
  if (!svg_file.empty()) {
    try {
      replace_file_atomically(svg_file, scenario_svg(model, acceleration, language));
    } catch (const FileError& e) {
      throw InspectError(e.message());
    }
  }
  int status = kExitDone;
  if (check) {
    const auto items = check_scenario(model, language);
    if (out.tellp() > 0) out << '\n';
    out << check_report(items, language);
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
  // A --lang that names no language is refused in the language of the environment.
  compactor::inspect::language = chosen.value_or(*compactor::tool_language(std::nullopt));
  if (!chosen)
    return compactor::inspect::refuse(
        compactor::msg(compactor::MessageId::tool_unknown_language, std::string(lang.value_or(""))));
  try {
    return compactor::inspect::run(argc, argv);
  } catch (const compactor::inspect::InspectError& e) {  // a file missing or damaged
    return compactor::inspect::refuse(e.message());
  } catch (const std::exception& e) {
    return compactor::inspect::refuse(compactor::msg(compactor::MessageId::text, e.what()));
  }
}
