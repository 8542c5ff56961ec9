// Stopping a run on POSIX: SIGINT, SIGTERM and SIGHUP remove the run's registered files,
// then end the process with the same signal, as if no handler had been there.
#include <signal.h>
#include <unistd.h>

#include "platform/stop_cleanup.h"

namespace compactor::stop_cleanup {
namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

extern "C" void on_stop(int signal_number) {
  remove_registered();
  // SA_RESETHAND has put the default action back and SA_NODEFER lets it through at once.
  ::raise(signal_number);
}

}  // namespace

void install_handlers() {
  for (const int signal_number : kStopSignals) {
    struct sigaction old {};
    // A signal the run was told to ignore (nohup, a background job) stays ignored.
    if (::sigaction(signal_number, nullptr, &old) != 0 || old.sa_handler == SIG_IGN) continue;
    struct sigaction action {};
    action.sa_handler = on_stop;
    action.sa_flags = SA_RESETHAND | SA_NODEFER;
    sigemptyset(&action.sa_mask);
    ::sigaction(signal_number, &action, nullptr);
  }
}

void remove_now(const char* path) { ::unlink(path); }

}  // namespace compactor::stop_cleanup
