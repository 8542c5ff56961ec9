#pragma once
// The program's command line. With no argument the program builds its scenario;
// --help and --version print a short text; anything else is a usage error. Only the
// build writes files.

#include <string>
#include <vector>

#include "driver/build.h"

namespace compactor {

struct CommandLine {
  enum class Action { build, help, version, usage_error };
  Action action = Action::build;
  std::string text;  // what to print: on standard output for help and version, on standard error otherwise
};

// program is the name the program was started under (its file name, without folder).
CommandLine read_command_line(const std::string& program, const std::vector<std::string>& args,
                              const Scenario& scenario);

// The whole program with its command line: main's argc and argv.
int run_program_with_args(int argc, char** argv, const Scenario& scenario);

}  // namespace compactor
