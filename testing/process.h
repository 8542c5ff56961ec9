#pragma once
// Runs a program as a process of its own and keeps what it wrote to its two output streams.

#include <filesystem>
#include <string>
#include <vector>

namespace compactor::testing {

struct ProcessResult {
  int status = -1;  // the exit status; -1 when the program could not be started or was killed
  std::string out;
  std::string err;
};

// argv[0] is the program's path, or a bare name looked up on PATH. The process starts in cwd with the
// environment of the test, less DISPLAY, so that the program runs without a window, and with
// LC_ALL=C, so that a tool speaks English, as the tests that pin its texts expect, whatever
// the tester's own language.
ProcessResult run_process(const std::vector<std::string>& argv, const std::filesystem::path& cwd);

}  // namespace compactor::testing
