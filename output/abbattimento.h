#pragma once
// The abbattimento pass: abbattimento points of value 180 around slow-downs and
// signals, once the compiler has filled the sections.

#include <cstdint>
#include <vector>

#include "compiler/track_model.h"

namespace compactor {

struct Conflict {
  int32_t code;      // 11, 12 or 13
  int32_t position;  // metres
  bool operator==(const Conflict&) const = default;
};

// The smaller of two values, the first on a tie.
template <typename T>
T minimo(const T& x, const T& y) {
  return x > y ? y : x;
}

// Runs the pass over model.sections; every place where no point fits is recorded in
// error_code / error_position and returned, in order.
std::vector<Conflict> abbattimento_pass(TrackModel& model);

}  // namespace compactor
