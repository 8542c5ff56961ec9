#include "platform/stop_cleanup.h"

#include <atomic>
#include <thread>

namespace compactor {
namespace {

using Unit = std::filesystem::path::value_type;
constexpr int kSlots = 32;
constexpr size_t kPathUnits = 4096;

// A slot is free (0), being filled (1), armed (2) or being removed by the handler (3).
struct Slot {
  std::atomic<int> state{0};
  Unit path[kPathUnits];
};
Slot g_slots[kSlots];

// The run as the handler sees it: going (0), switching a set (1) or stopping (2).
std::atomic<int> g_phase{0};
std::atomic<bool> g_installed{false};

static_assert(std::atomic<int>::is_always_lock_free, "the handler needs lock-free atomics");

}  // namespace

RemovedOnStop::RemovedOnStop(const std::filesystem::path& path) {
  const auto& native = path.native();
  if (native.empty() || native.size() >= kPathUnits) return;
  if (!g_installed.exchange(true)) stop_cleanup::install_handlers();
  for (int i = 0; i < kSlots; ++i) {
    int free = 0;
    if (!g_slots[i].state.compare_exchange_strong(free, 1)) continue;
    native.copy(g_slots[i].path, native.size());
    g_slots[i].path[native.size()] = Unit{};
    g_slots[i].state.store(2);
    slot_ = i;
    return;
  }
}

RemovedOnStop::RemovedOnStop(RemovedOnStop&& other) noexcept : slot_(other.slot_) { other.slot_ = -1; }

RemovedOnStop& RemovedOnStop::operator=(RemovedOnStop&& other) noexcept {
  if (this != &other) {
    release();
    slot_ = other.slot_;
    other.slot_ = -1;
  }
  return *this;
}

void RemovedOnStop::release() {
  if (slot_ < 0) return;
  // A slot the handler is removing stays taken: the process ends with that removal.
  int armed = 2;
  if (g_slots[slot_].state.compare_exchange_strong(armed, 1)) g_slots[slot_].state.store(0);
  slot_ = -1;
}

SwitchUnderway::SwitchUnderway() {
  int going = 0;
  // A stop that began on another thread (a console handler on Windows) ends the process.
  while (!g_phase.compare_exchange_weak(going, 1)) {
    going = 0;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
}

SwitchUnderway::~SwitchUnderway() { g_phase.store(0); }

namespace stop_cleanup {

void remove_registered() {
  int going = 0;
  if (!g_phase.compare_exchange_strong(going, 2)) return;  // a switch: the journal decides
  for (Slot& slot : g_slots) {
    int armed = 2;
    if (slot.state.compare_exchange_strong(armed, 3)) remove_now(slot.path);
  }
}

}  // namespace stop_cleanup
}  // namespace compactor
