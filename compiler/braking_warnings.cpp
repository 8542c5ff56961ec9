#include "compiler/braking_warnings.h"

#include <cmath>
#include <string>
#include <vector>

#include "compiler/braking.h"
#include "compiler/timetable.h"
#include "compiler/warnings.h"

namespace compactor {
namespace {

std::string gradient_words(int32_t lowest, int32_t highest) {
  const std::string per_mille = " \xe2\x80\xb0";  // ‰
  if (lowest == highest) {
    if (lowest == 0) return "on level track";
    return (lowest > 0 ? "on a climb of " : "on a descent of ") + std::to_string(std::abs(lowest)) + per_mille;
  }
  return "on gradients from " + std::to_string(lowest) + " to " + std::to_string(highest) + per_mille;
}

// The one message of a slow-down the train cannot obey.
std::string braking_message(const SlowDownBraking& b) {
  const std::string speeds = "from " + std::to_string(b.speed_before) + " km/h to " + std::to_string(b.speed) + " km/h";
  std::string out = b.board ? "from the warning board to the slow-down's start there are "
                            : "the slow-down starts at " + std::to_string(b.start) +
                                  " m, with no warning board: from the line's start there are ";
  out += std::to_string(b.given()) + " m, and ";
  if (b.needed)
    out += "the train needs " + std::to_string(static_cast<int64_t>(std::ceil(*b.needed))) + " m to slow " + speeds;
  else
    out += "the train cannot slow " + speeds + ": the descent takes all of its braking";
  return out + " (braked mass " + std::to_string(b.braked_mass) + " %, " +
         gradient_words(b.lowest_gradient, b.highest_gradient) + ")";
}

}  // namespace

void check_braked_mass(CompileContext& ctx, const SourcePlace& field, int32_t braked_mass) {
  const std::string value = "a braked mass of " + std::to_string(braked_mass) + " %";
  const char* unchecked = ": no slow-down is checked against the train's braking";
  if (braked_mass == 0)
    ctx.warn(kWarnBraking, field, value + " leaves the train without brakes" + unchecked);
  else if (braked_mass < 0)
    ctx.warn(kWarnBraking, field, value + " is below 0" + unchecked);
  else if (braked_mass > kBrakedMassHighest)
    ctx.warn(kWarnBraking, field,
             value + " is above " + std::to_string(kBrakedMassHighest) +
                 " %, more than trains brake with and than the braking model holds" + unchecked);
}

void check_braking(CompileContext& ctx, std::span<const SlowDownRecord> slow_downs,
                   std::optional<SourcePlace> mass_place) {
  if (!mass_place) {
    // A description without its header has been warned about as a whole.
    if (ctx.watching)
      ctx.warn(kWarnBraking, SourcePlace{Description::train, 0, 0},
               "no braked mass ('percentuale massa frenata'): the train's braked mass is 0 %, and no slow-down is "
               "checked against its braking");
    return;
  }
  const std::vector<int32_t> speeds = allowed_speeds(ctx.model);
  for (const SlowDownRecord& s : slow_downs) {
    const std::optional<SlowDownBraking> b = slow_down_braking(ctx.model, speeds, s.x, s.v);
    if (!b || !b->too_short()) continue;
    ctx.warn(kWarnBraking, s.place, braking_message(*b),
             {Diagnostic{Severity::note, mass_place,
                         "the braked mass, " + std::to_string(b->braked_mass) + " %, is set here", "", {}}});
  }
}

}  // namespace compactor
