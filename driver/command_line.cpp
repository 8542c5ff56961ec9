#include "driver/command_line.h"

#include <cstdio>
#include <filesystem>
#include <optional>

#include "platform/env.h"
#include "session/language.h"
#include "sources/file_names.h"

#ifndef COMPACTOR_VERSION
#define COMPACTOR_VERSION "0"
#endif

namespace compactor {
namespace {

std::string help_text(const std::string& program, const Scenario& s, Language language) {
  const std::string& l = s.line_name;
  const std::string& t = s.train_number;
  return say(language, MessageId::program_help, program, l, t, notes_name(l, t), slowdown_form_name(l, t),
             train_card_name(l, t), route_plot_name(l), slot_table_name(l, t), section_array_name(l, t));
}

}  // namespace

CommandLine read_command_line(const std::string& program, const std::vector<std::string>& args,
                              const Scenario& scenario, Language language) {
  if (args.empty()) return {CommandLine::Action::build, ""};
  // --lang L goes with --help or --version: it says in which language.
  std::vector<std::string> rest;
  std::optional<std::string> lang;
  for (size_t i = 0; i < args.size(); ++i) {
    if (args[i] == "--lang")
      lang = i + 1 < args.size() ? args[++i] : std::string();
    else if (args[i].starts_with("--lang="))
      lang = args[i].substr(7);
    else
      rest.push_back(args[i]);
  }
  auto refuse = [&](Message message) {
    return CommandLine{CommandLine::Action::usage_error, render(message, language) + "\n"};
  };
  if (lang && !language_named(*lang)) return refuse(msg(MessageId::program_bad_lang, program, *lang));
  if (rest.size() == 1 && rest[0] == "--help")
    return {CommandLine::Action::help, help_text(program, scenario, language)};
  if (rest.size() == 1 && rest[0] == "--version")
    return {CommandLine::Action::version, program + " " + COMPACTOR_VERSION + " (scenario " +
                                              scenario.line_name + " / " + scenario.train_number + ")\n"};
  if (rest.empty()) return refuse(msg(MessageId::program_lang_alone, program));
  const std::string& first = rest[0] == "--help" || rest[0] == "--version" ? rest[1] : rest[0];
  return refuse(msg(first.size() > 1 && first[0] == '-' ? MessageId::program_unknown_option
                                                        : MessageId::program_unexpected_argument,
                    program, first));
}

int run_program_with_args(int argc, char** argv, const Scenario& scenario) {
  const std::string program =
      argc > 0 && argv[0] != nullptr ? std::filesystem::path(argv[0]).stem().string() : "";
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
  const CommandLine cl = read_command_line(program.empty() ? "program" : program, args, scenario,
                                           command_line_language(argc, argv));
  // The texts end their lines with \n alone on every system, as the tools' do.
  if (cl.action != CommandLine::Action::build) use_binary_standard_streams();
  switch (cl.action) {
    case CommandLine::Action::build:
      return run_program(scenario);
    case CommandLine::Action::help:
    case CommandLine::Action::version:
      std::fputs(cl.text.c_str(), stdout);
      return std::fflush(stdout) == 0 ? kExitBuilt : kExitFileError;
    case CommandLine::Action::usage_error:
      std::fputs(cl.text.c_str(), stderr);
      return kExitUsage;
  }
  return kExitUsage;
}

Language command_line_language(int argc, char** argv) {
  return tool_language(lang_argument(argc, argv)).value_or(*tool_language(std::nullopt));
}

}  // namespace compactor
