#include "compiler/braking.h"

#include <algorithm>
#include <cmath>

namespace compactor {
namespace {

// The conversion model's deceleration for a braked mass λ (per cent), in m/s²: up to the
// speed V_lim = 16.85 λ^0.428 km/h it is 0.0075 λ + 0.076; above it, in each speed band up
// to the band's top, a3 λ³ + a2 λ² + a1 λ + a0.
constexpr double kLowSlope = 0.0075;
constexpr double kLowBase = 0.076;
constexpr double kLimitFactor = 16.85;
constexpr double kLimitExponent = 0.428;
struct Band {
  double top;  // km/h
  double a0, a1, a2, a3;
};
constexpr Band kBands[] = {
    {100, 0.0663, 4.72e-3, 6.1e-5, -6.3e-7},     //
    {120, 0.13, 5.14e-3, -4.53e-6, 2.73e-7},     //
    {150, 0.0479, 5.81e-3, -6.76e-6, 5.58e-8},   //
    {180, 0.048, 5.52e-3, -3.85e-6, 3e-8},       //
    {200, 0.0559, 5.06e-3, 1.66e-6, 3.23e-9},    //
};

// A gradient's share: g × i / (1000 + 10 × rotating mass in per cent).
constexpr double kGravity = 9.81;
constexpr double kRotatingOnClimb = 2;     // the least: a climb helps most
constexpr double kRotatingOnDescent = 15;  // the most: a descent hinders least

constexpr int32_t kBoardDistance = 1200;  // the warning board stands this far before the start
constexpr int32_t kNoBoardUpTo = 1500;    // a slow-down starting here or before has none

double squared_ms(int32_t kmh) {
  const double v = kmh / 3.6;
  return v * v;
}

}  // namespace

std::optional<double> full_braking_rate(int32_t braked_mass) {
  if (braked_mass <= 0 || braked_mass > kBrakedMassHighest) return std::nullopt;
  const double l = std::max(braked_mass, kBrakedMassLowest);
  const double limit = kLimitFactor * std::pow(l, kLimitExponent);
  double rate = kLowSlope * l + kLowBase;
  for (const Band& b : kBands)
    if (b.top > limit) rate = std::max(rate, ((b.a3 * l + b.a2) * l + b.a1) * l + b.a0);
  return rate;
}

double gradient_deceleration(int32_t per_mille) {
  const double rotating = per_mille > 0 ? kRotatingOnClimb : kRotatingOnDescent;
  return kGravity * per_mille / (1000 + 10 * rotating);
}

int32_t section_gradient(const TrackModel& model, int64_t section) {
  if (section < 0 || section >= int64_t{model.section_count()} - 3) return 0;
  return int32_t{model.sections[static_cast<size_t>(section)].gradient_code} - 100;
}

std::optional<double> braking_distance(const TrackModel& model, double rate, int32_t v_from, int32_t v_to,
                                       int32_t from, int32_t at) {
  if (v_from <= v_to) return 0.0;
  const double target = squared_ms(v_from);
  double v2 = squared_ms(std::max(v_to, 0));  // the speed squared, walking back from `at`
  double walked = 0;
  const int64_t stop = std::max(from, 0);
  int64_t first = std::max<int64_t>(stop, at - 1) / kMetresPerSection;  // the stretch's first section
  for (int64_t metre = at; metre > stop;) {
    const int64_t section = (metre - 1) / kMetresPerSection;
    const int64_t length = metre - std::max(stop, section * kMetresPerSection);
    const double d = rate + gradient_deceleration(section_gradient(model, section));
    if (d > 0 && v2 + 2 * d * static_cast<double>(length) >= target) return walked + (target - v2) / (2 * d);
    v2 += 2 * d * static_cast<double>(length);
    if (v2 < 0) return std::nullopt;  // even from rest here it would arrive too fast
    walked += static_cast<double>(length);
    metre -= length;
    first = section;
  }
  const double d = rate + gradient_deceleration(section_gradient(model, first));
  if (d <= 0) return std::nullopt;
  return walked + (target - v2) / (2 * d);
}

std::optional<SlowDownBraking> slow_down_braking(const TrackModel& model, std::span<const int32_t> speeds,
                                                 int32_t x, int32_t v) {
  SlowDownBraking b;
  b.braked_mass = model.slot(kTrainSlot).value1;
  const std::optional<double> rate = full_braking_rate(b.braked_mass);
  if (!rate) return std::nullopt;
  b.start = x;
  b.board = x > kNoBoardUpTo;
  b.from = b.board ? x - kBoardDistance : 0;
  b.speed = std::max(v, 0);
  // The sections from the one holding `from` to the one before the start's metre.
  const int64_t first = std::max<int64_t>(0, b.from / kMetresPerSection);
  const int64_t last = std::min<int64_t>(static_cast<int64_t>(speeds.size()),
                                         (int64_t{x} + kMetresPerSection - 1) / kMetresPerSection) - 1;
  if (last < first) return std::nullopt;
  b.lowest_gradient = section_gradient(model, first);
  b.highest_gradient = b.lowest_gradient;
  for (int64_t i = first; i <= last; ++i) {
    b.speed_before = std::max(b.speed_before, speeds[static_cast<size_t>(i)]);
    b.lowest_gradient = std::min(b.lowest_gradient, section_gradient(model, i));
    b.highest_gradient = std::max(b.highest_gradient, section_gradient(model, i));
  }
  if (b.speed_before <= b.speed) return std::nullopt;
  b.needed = braking_distance(model, *rate, b.speed_before, b.speed, b.from, x);
  return b;
}

}  // namespace compactor
