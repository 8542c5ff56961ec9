#pragma once
// The program's command line. With no argument the program builds its scenario;
// --help and --version print a short text, in the language of --lang L when it is given with
// them; anything else is a usage error. Only the build writes files. The program's help and
// usage errors speak the language of the environment (LC_ALL, LC_MESSAGES, LANG) or of
// --lang; its build keeps its own English lines.

#include <string>
#include <vector>

#include "driver/build.h"
#include "sources/messages.h"

namespace compactor {

struct CommandLine {
  enum class Action { build, help, version, usage_error };
  Action action = Action::build;
  std::string text;  // what to print: on standard output for help and version, on standard error otherwise
};

// program is the name the program was started under (its file name, without folder); language
// that of its texts, as command_line_language finds it.
CommandLine read_command_line(const std::string& program, const std::vector<std::string>& args,
                              const Scenario& scenario, Language language = Language::en);

// The language of --lang among main's arguments when it names one, else the environment's.
Language command_line_language(int argc, char** argv);

// The whole program with its command line: main's argc and argv.
int run_program_with_args(int argc, char** argv, const Scenario& scenario);

}  // namespace compactor
