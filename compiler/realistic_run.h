#pragma once
// The realistic run between two timed stations, beside the sound bound of timetable.h and
// never in its place: the same speeds in force (the speed limits, lowered in the slow-downs),
// but starting and ending at rest, accelerating at a planning value and braking at a
// service share of the braking model's full rate (braking.h), on level track. It tells an
// author whether a timetable is comfortable or only feasible on paper; the bound tells
// whether it is feasible at all.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "compiler/timetable.h"
#include "compiler/track_model.h"
#include "sources/messages.h"

namespace compactor {

// The planning acceleration in m/s², as a timetable planner takes it for a locomotive-hauled
// passenger train up to line speed; a pack may give its own ("acceleration" in scenario.json).
inline constexpr double kPlanningAcceleration = 0.3;
inline constexpr double kAccelerationLowest = 0.05;  // what a pack may give, m/s²
inline constexpr double kAccelerationHighest = 2.0;
// Service braking: this share of the full rate, the share a driver uses for a stop or a
// slow-down, well short of an emergency.
inline constexpr double kServiceBrakingShare = 0.5;

struct RunRates {
  double acceleration = kPlanningAcceleration;  // m/s², above 0
  double braking = 0;                           // m/s², above 0
};

// The rates of the model's train: the acceleration given, and the service share of the full
// braking rate of its braked mass (above 250 % that of 250 %). nullopt for a braked mass of
// 0 % or less: such a train cannot brake.
std::optional<RunRates> planning_rates(const TrackModel& model, double acceleration = kPlanningAcceleration);

// "accelerating at 0.3 m/s² and braking at 0.49 m/s², from rest to rest", as a message of the
// catalogue and in English.
Message run_rates_message(const RunRates& rates);
std::string run_rates_text(const RunRates& rates);

// True for an acceleration a pack or a command line may give.
bool acceptable_acceleration(double acceleration);

struct RealisticRun {
  double seconds = 0;  // infinity when a speed of 0 (or less) stands in the way
  // (metre, seconds after `from`), from `from` to `to`, each exact: at the ends of each stretch
  // run at one speed, and about every 250 m where the run accelerates or brakes; straight
  // lines between them. Empty when blocked.
  std::vector<RunPoint> points;
  bool blocked() const { return points.empty(); }
};

// From rest at metre `from` to rest at metre `to` (from <= to) at those speeds (km/h per
// section, see allowed_speeds). Metres outside the sections take the speed of the nearest.
RealisticRun realistic_run(std::span<const int32_t> speeds, int32_t from, int32_t to, const RunRates& rates);

// Fills the realistic run of every leg that is not blocked.
void add_realistic_runs(std::span<TimetableLeg> legs, std::span<const int32_t> speeds,
                        std::span<const TimetableStop> stops, const RunRates& rates);

}  // namespace compactor
