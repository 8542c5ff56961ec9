#pragma once
// The warnings of the train's braking, -Wbraking: a slow-down whose warning board stands
// closer than the train needs to slow down, and a braked mass the check cannot use. The
// numbers come from braking.h; each message is formed here, once.

#include <cstdint>
#include <optional>
#include <span>

#include "compiler/compile_context.h"

namespace compactor {

// A slow-down as the train description gave it, once placed.
struct SlowDownRecord {
  int32_t x = 0;       // start, metres
  int32_t v = 0;       // speed, km/h
  SourcePlace place;   // its x and v fields
};

// A braked-mass value at its field: 0 % or less, or above 250 %.
void check_braked_mass(CompileContext& ctx, const SourcePlace& field, int32_t braked_mass);

// After a compile without a fault: every slow-down against the train's braking, with a note
// at the braked mass (mass_place: its value field, nullopt when the description has none,
// which is itself a warning).
void check_braking(CompileContext& ctx, std::span<const SlowDownRecord> slow_downs,
                   std::optional<SourcePlace> mass_place);

}  // namespace compactor
