#include "driver/command_line.h"

#include <cstdio>
#include <filesystem>

#include "platform/env.h"
#include "sources/file_names.h"

#ifndef COMPACTOR_VERSION
#define COMPACTOR_VERSION "0"
#endif

namespace compactor {
namespace {

std::string help_text(const std::string& program, const Scenario& s) {
  const std::string& l = s.line_name;
  const std::string& t = s.train_number;
  return "Usage: " + program + " [--help | --version]\n" +
         "\n"
         "Builds the scenario " + l + " / " + t + " of the train-driving simulator.\n" +
         "Run with no argument, it writes six files into the folder that holds the program:\n"
         "  " + notes_name(l, t) + ", " + slowdown_form_name(l, t) + ",\n" +
         "  " + train_card_name(l, t) + " (documents for the driver),\n" +
         "  " + route_plot_name(l) + ", " + slot_table_name(l, t) + ", " + section_array_name(l, t) +
         " (compiled files).\n" +
         "\n"
         "Options:\n"
         "  --help     print this text and exit\n"
         "  --version  print the version and exit\n"
         "\n"
         "Exit status: 0 built; 1 \" Errore n. 1250\" or \" Errore n. 1251\" (a reserved place taken);\n"
         "2 a file that cannot be read or written, or a wrong command line; 3 a compiler fault.\n";
}

}  // namespace

CommandLine read_command_line(const std::string& program, const std::vector<std::string>& args,
                              const Scenario& scenario) {
  if (args.empty()) return {CommandLine::Action::build, ""};
  if (args.size() == 1 && args[0] == "--help") return {CommandLine::Action::help, help_text(program, scenario)};
  if (args.size() == 1 && args[0] == "--version")
    return {CommandLine::Action::version, program + " " + COMPACTOR_VERSION + " (scenario " +
                                              scenario.line_name + " / " + scenario.train_number + ")\n"};
  const std::string& first = args[0] == "--help" || args[0] == "--version" ? args[1] : args[0];
  const std::string what = first.size() > 1 && first[0] == '-' ? "unknown option '" + first + "'"
                                                               : "unexpected argument '" + first + "'";
  return {CommandLine::Action::usage_error,
          program + ": " + what + "; it takes no argument (see " + program + " --help), nothing written\n"};
}

int run_program_with_args(int argc, char** argv, const Scenario& scenario) {
  const std::string program =
      argc > 0 && argv[0] != nullptr ? std::filesystem::path(argv[0]).stem().string() : "";
  std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + (argc > 0 ? argc : 0));
  const CommandLine cl = read_command_line(program.empty() ? "program" : program, args, scenario);
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

}  // namespace compactor
