// run_process on POSIX: fork, the output streams into files of a scoped folder, exec.
#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>

#include "testing/process.h"
#include "testing/temp_folder.h"

namespace compactor::testing {

ProcessResult run_process(const std::vector<std::string>& argv, const std::filesystem::path& cwd) {
  TempFolder capture("compactor-capture");
  const std::string out_file = (capture / "out").string();
  const std::string err_file = (capture / "err").string();
  std::vector<std::string> args(argv);
  std::vector<char*> raw;
  for (auto& a : args) raw.push_back(a.data());
  raw.push_back(nullptr);
  ProcessResult result;
  const pid_t pid = ::fork();
  if (pid < 0) return result;
  if (pid == 0) {
    ::unsetenv("DISPLAY");
    ::setenv("LC_ALL", "C", 1);
    const int out = ::open(out_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    const int err = ::open(err_file.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (out < 0 || err < 0 || ::chdir(cwd.c_str()) != 0) ::_exit(127);
    ::dup2(out, 1);
    ::dup2(err, 2);
    // A bare name is looked up on PATH, as a shell does.
    ::execvp(raw[0], raw.data());
    ::_exit(127);
  }
  int wstatus = 0;
  while (::waitpid(pid, &wstatus, 0) < 0) {
  }
  result.status = WIFEXITED(wstatus) ? WEXITSTATUS(wstatus) : -1;
  result.out = read_file(out_file);
  result.err = read_file(err_file);
  return result;
}

}  // namespace compactor::testing
