// Stopping a run on Windows: Ctrl+C, Ctrl+Break and closing the console remove the run's
// registered files, then end the process at once with STATUS_CONTROL_C_EXIT, the status Windows
// gives a program that Ctrl+C ends. The handler runs on a thread of its own while the run
// goes on; a file it removes while the run holds it open goes when the process ends.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

#include "platform/stop_cleanup.h"

namespace compactor::stop_cleanup {
namespace {

BOOL WINAPI on_stop(DWORD event) {
  if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT) return FALSE;
  remove_registered();
  // At once, as a kill: the run's own thread is stopped wherever it is.
  TerminateProcess(GetCurrentProcess(), static_cast<UINT>(STATUS_CONTROL_C_EXIT));
  return TRUE;
}

}  // namespace

void install_handlers() { SetConsoleCtrlHandler(on_stop, TRUE); }

void remove_now(const wchar_t* path) { DeleteFileW(path); }

}  // namespace compactor::stop_cleanup
