#include "compiler/braking_warnings.h"

#include <cmath>
#include <string>
#include <vector>

#include "compiler/braking.h"
#include "compiler/timetable.h"
#include "compiler/warnings.h"

namespace compactor {
namespace {

Message gradient_words(int32_t lowest, int32_t highest) {
  if (lowest == highest) {
    if (lowest == 0) return msg(MessageId::braking_level);
    return msg(lowest > 0 ? MessageId::braking_climb : MessageId::braking_descent,
               std::to_string(std::abs(lowest)));
  }
  return msg(MessageId::braking_gradients, std::to_string(lowest), std::to_string(highest));
}

// The one message of a slow-down the train cannot obey.
Message braking_message(const SlowDownBraking& b) {
  const std::string before = std::to_string(b.speed_before), speed = std::to_string(b.speed);
  return Message{
      MessageId::w_braking,
      {std::to_string(b.given()), std::to_string(b.braked_mass)},
      {b.board ? msg(MessageId::braking_board) : msg(MessageId::braking_no_board, std::to_string(b.start)),
       b.needed ? msg(MessageId::braking_needs, std::to_string(static_cast<int64_t>(std::ceil(*b.needed))),
                      before, speed)
                : msg(MessageId::braking_cannot, before, speed),
       gradient_words(b.lowest_gradient, b.highest_gradient)}};
}

}  // namespace

void check_braked_mass(CompileContext& ctx, const SourcePlace& field, int32_t braked_mass) {
  const std::string value = std::to_string(braked_mass);
  if (braked_mass == 0)
    ctx.warn(kWarnBraking, field, msg(MessageId::w_braked_mass_none, value));
  else if (braked_mass < 0)
    ctx.warn(kWarnBraking, field, msg(MessageId::w_braked_mass_negative, value));
  else if (braked_mass > kBrakedMassHighest)
    ctx.warn(kWarnBraking, field,
             msg(MessageId::w_braked_mass_high, value, std::to_string(kBrakedMassHighest)));
}

void check_braking(CompileContext& ctx, std::span<const SlowDownRecord> slow_downs,
                   std::optional<SourcePlace> mass_place) {
  if (!mass_place) {
    // A description without its header has been warned about as a whole.
    if (ctx.watching)
      ctx.warn(kWarnBraking, SourcePlace{Description::train, 0, 0}, msg(MessageId::w_no_braked_mass));
    return;
  }
  const std::vector<int32_t> speeds = allowed_speeds(ctx.model);
  for (const SlowDownRecord& s : slow_downs) {
    const std::optional<SlowDownBraking> b = slow_down_braking(ctx.model, speeds, s.x, s.v);
    if (!b || !b->too_short()) continue;
    ctx.warn(kWarnBraking, s.place, braking_message(*b),
             {note(msg(MessageId::note_braked_mass_here, std::to_string(b->braked_mass)),
                   ctx.resolve(*mass_place))});
  }
}

}  // namespace compactor
