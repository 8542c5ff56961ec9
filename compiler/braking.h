#pragma once
// How far the train needs to slow down: its braking rate from its braked-mass percentage
// ("percentuale massa frenata", slot 84 value1), what the line's gradients (per section, as
// compiled) add to it or take from it, and the distance from one speed to a lower one.
//
// The rate is the ETCS conversion model's (ERA SUBSET-026 3.13.3.4, the relation EN 16834
// Annex F gives for trains whose brakes are rated by braked-weight percentage), taken
// everywhere on the side that favours the train, so that a slow-down found too short is too
// short for every real train of that braked mass: the highest deceleration of the model's
// curve at any speed, no build-up time, no loss for wet rail or for a failed brake, and
// the rotating mass that makes a gradient help most or hinder least. docs/braking.md gives
// the formula, the constants and a worked example.
//
// One home: the braking warning, the realistic run of the timetable, the picture and the
// page all take their braking from here.

#include <cstdint>
#include <optional>
#include <span>

#include "compiler/track_model.h"

namespace compactor {

// The braked masses the model holds for (per cent).
inline constexpr int32_t kBrakedMassLowest = 30;
inline constexpr int32_t kBrakedMassHighest = 250;
// The gradients a section holds (per mille): gradient_code is the gradient + 100 in 8 bits.
inline constexpr int32_t kGradientLowest = -100;
inline constexpr int32_t kGradientHighest = 155;

// The full braking rate on level track in m/s²: the highest deceleration the model gives
// for that braked mass at any speed. Between 1 and 29 % the rate of 30 % (a train with less
// braked mass brakes no better). nullopt for 0 % or less, and above 250 %, where no rate is
// sound.
std::optional<double> full_braking_rate(int32_t braked_mass);

// What a gradient adds to the braking in m/s² (negative on a descent): g × i / (1000 + 10 × r),
// with i in per mille and the rotating mass r that favours the train: 2 % on a climb, 15 % on
// a descent.
double gradient_deceleration(int32_t per_mille);

// The gradient of a section in per mille, as compiled (gradient_code - 100). Sections
// outside the array, and the last three, which the line compiler never fills, count as level.
int32_t section_gradient(const TrackModel& model, int64_t section);

// The metres a train braking at `rate` (m/s², level) needs to slow from v_from to v_to km/h
// on the gradients of the stretch from metre `from` to metre `at`, reaching v_to at `at`:
// walked back from `at` one section at a time; before `from` (and before metre 0) the
// gradient of the stretch's first section holds, so the walk is as long as the stretch. 0
// when v_from is not above v_to; nullopt when the train cannot slow down (a descent that
// takes all of the rate).
std::optional<double> braking_distance(const TrackModel& model, double rate, int32_t v_from, int32_t v_to,
                                       int32_t from, int32_t at);

// A slow-down against the train's braking: from its warning board, 1200 m before its start
// (from the line's start when it has none: a start at 1500 m or less), to its start.
struct SlowDownBraking {
  int32_t from = 0;          // metre of the warning board, or 0
  int32_t start = 0;         // metre of the slow-down's start
  bool board = true;         // false: checked from the line's start
  int32_t speed_before = 0;  // the highest speed in force from `from` to the start, km/h
  int32_t speed = 0;         // the slow-down's speed, km/h
  int32_t braked_mass = 0;   // per cent
  int32_t lowest_gradient = 0;   // per mille, from `from` to the start
  int32_t highest_gradient = 0;
  std::optional<double> needed;  // metres; nullopt: the train cannot slow down there
  int32_t given() const { return start - from; }
  bool too_short() const { return !needed || *needed > given() + 1e-6; }
};

// The slow-down that starts at metre x with speed v, against the speeds in force (km/h per
// section, see allowed_speeds) and the model's braked mass. nullopt when nothing is to be
// checked: the braked mass gives no rate, or no speed in force before it is above v.
std::optional<SlowDownBraking> slow_down_braking(const TrackModel& model, std::span<const int32_t> speeds,
                                                 int32_t x, int32_t v);

}  // namespace compactor
