#include "output/abbattimento.h"

#include <algorithm>
#include <array>

#include "compiler/faults.h"

namespace compactor {

namespace {

constexpr int16_t kPointValue = 180;    // value of every point placed; ceiling at place A
constexpr int16_t kRepeatBelow = 110;   // slow-downs from this speed on get no repeat points
constexpr int32_t kRepeatSpacing = 8;   // sections between repeat points
constexpr int32_t kBoardLookBack = 20;  // sections behind a warning board searched for signals
constexpr int32_t kLowestSignal = 3;    // lowest section examined as a signal by place A
constexpr int32_t kSignalSearch = 12;   // sections after a slow-down end searched for a signal
constexpr std::array<std::array<int32_t, 3>, 3> kWindows{{{5, 6, 7}, {11, 12, 13}, {18, 19, 20}}};

class Pass {
 public:
  explicit Pass(TrackModel& model) : model_(model), last_(model.cell_limit) {}

  std::vector<Conflict> run() {
    for (int32_t i = 1; i <= last_ - 2; ++i) {
      const uint8_t kind = model_.section(i).kind;
      if (kind == kKindSlowWarning) signals_behind_board(i);
      if (kind == kKindSlowStart) {
        windows_before_start(i);
        const bool repeat = model_.section(i).data1 < kRepeatBelow;
        signal_after_end(walk_to_end(i, repeat));
      }
    }
    return std::move(conflicts_);
  }

 private:
  bool free_at(int32_t c) const { return c >= 0 && c <= last_ && is_free(model_.section(c)); }
  bool point_at(int32_t c) const { return model_.section(c).kind == kKindAbbattimento; }

  void place(int32_t c) {
    TrackCell& cell = model_.section(c);
    cell.kind = kKindAbbattimento;
    cell.data1 = kPointValue;
  }

  void lower(int32_t c) {
    int16_t& value = model_.section(c).data1;
    value = minimo(kPointValue, value);
  }

  void conflict(int32_t code, int32_t section) {
    const int32_t position = section * kMetresPerSection;
    model_.error_code = code;
    model_.error_position = position;
    conflicts_.push_back({code, position});
  }

  // Place A: a point one or two sections before every signal up to 20 sections
  // behind the warning board at section i.
  void signals_behind_board(int32_t i) {
    for (int32_t k = 1; k <= kBoardLookBack; ++k) {
      const int32_t s = i - k;
      if (s < kLowestSignal) return;
      if (model_.section(s).kind != kKindSignal) continue;
      if (free_at(s - 1)) {
        place(s - 1);
      } else if (free_at(s - 2)) {
        place(s - 2);
      } else if (point_at(s - 1)) {
        lower(s - 1);
      } else if (point_at(s - 2)) {
        lower(s - 2);
      } else {
        conflict(kConflictBoard, s);
      }
    }
  }

  // Place B: one point in each of the three windows before the slow-down start at i.
  void windows_before_start(int32_t i) {
    for (const auto& window : kWindows) {
      if (i <= window.back()) continue;
      const auto it = std::find_if(window.begin(), window.end(), [&](int32_t d) { return free_at(i - d); });
      if (it == window.end())
        conflict(kConflictWindow, i);
      else
        place(i - *it);
    }
  }

  // Walks from the slow-down start at i to its end (or the last section) and returns
  // the end. With `repeat` (place C) it puts a point every 8 sections on the way,
  // shifted one section back or forward when the spot is taken.
  int32_t walk_to_end(int32_t i, bool repeat) {
    int32_t cursor = i;
    int32_t counter = 0;
    while (cursor < last_) {
      ++cursor;
      ++counter;
      if (repeat && counter == kRepeatSpacing) {
        if (free_at(cursor)) {
          place(cursor);
          counter = 0;
        } else if (free_at(cursor - 1)) {
          place(cursor - 1);
          counter = 1;
        } else if (free_at(cursor + 1)) {
          place(cursor + 1);
          counter = -1;
        } else {
          conflict(kConflictRepeat, cursor);  // the counter stays at 8: no more repeat points
        }
      }
      if (model_.section(cursor).kind == kKindSlowEnd) break;
    }
    return cursor;
  }

  // Place D: a point one or two sections before the first signal within 12 sections
  // after the slow-down end.
  void signal_after_end(int32_t end) {
    const int32_t stop = std::min(end + kSignalSearch, last_);
    for (int32_t t = end; t <= stop; ++t) {
      if (model_.section(t).kind != kKindSignal) continue;
      const int32_t target = t - 1;
      if (target == 0) return;
      if (free_at(target))
        place(target);
      else if (free_at(target - 1))
        place(target - 1);
      else
        conflict(kConflictRepeat, end);
      return;
    }
  }

  TrackModel& model_;
  const int32_t last_;
  std::vector<Conflict> conflicts_;
};

}  // namespace

std::vector<Conflict> abbattimento_pass(TrackModel& model) { return Pass(model).run(); }

}  // namespace compactor
