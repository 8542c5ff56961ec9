#pragma once
// What a run leaves when it is told to stop: SIGINT, SIGTERM or SIGHUP on POSIX; Ctrl+C,
// Ctrl+Break or the console closed on Windows. The files of the run that are registered
// here (its temporaries, the backups of a set before its switch, the intermediate
// descriptions) are removed, and the run ends with the stop's own status (killed by the
// signal; STATUS_CONTROL_C_EXIT on Windows). While a set is being switched nothing is
// removed: the journal is left to the next run, as a kill leaves it.
//
// The list is fixed in size and filled before a file is created, so the handler only reads
// it: no allocation, no lock, only calls a signal handler may make.

#include <filesystem>

namespace compactor {

// A file removed if the run is stopped while this is held. Registering installs the
// handlers the first time. A path too long for the list, or one more than it holds, is
// not registered: the file is then left as a kill leaves it.
class RemovedOnStop {
 public:
  RemovedOnStop() = default;
  explicit RemovedOnStop(const std::filesystem::path& path);
  RemovedOnStop(RemovedOnStop&& other) noexcept;
  RemovedOnStop& operator=(RemovedOnStop&& other) noexcept;
  RemovedOnStop(const RemovedOnStop&) = delete;
  RemovedOnStop& operator=(const RemovedOnStop&) = delete;
  ~RemovedOnStop() { release(); }
  // The file is no longer removed on a stop (it was renamed, deleted or kept).
  void release();
  bool registered() const { return slot_ >= 0; }

 private:
  int slot_ = -1;
};

// Held while a set's journal is written and its files renamed: a stop then removes nothing.
class SwitchUnderway {
 public:
  SwitchUnderway();
  ~SwitchUnderway();
  SwitchUnderway(const SwitchUnderway&) = delete;
  SwitchUnderway& operator=(const SwitchUnderway&) = delete;
};

// Inside the platform layer: what the system's handler calls, and what each system provides.
namespace stop_cleanup {
// Removes the registered files unless a switch is underway. Async-signal-safe.
void remove_registered();
// Installs the handlers of the system's stop signals (once).
void install_handlers();
// Removes one file now, from a signal handler.
void remove_now(const std::filesystem::path::value_type* path);
}  // namespace stop_cleanup

}  // namespace compactor
