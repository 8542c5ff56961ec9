#pragma once
// A picture of a compiled scenario as one SVG document: the route plan (when the route
// plot was read) with stations, signals and sign boards along it, and under it the line
// profile against distance: stations, signals and boards, line speed with slow-downs,
// gradient, and mountain stretches with their tunnel markers; then the time-distance
// diagram of the timetable against the fastest possible and the realistic run.

#include <string>

#include "compiler/realistic_run.h"
#include "compiler/track_model.h"

namespace compactor::inspect {

// The time-distance diagram draws the realistic run at that planning acceleration.
std::string scenario_svg(const TrackModel& model, double acceleration = kPlanningAcceleration);

}  // namespace compactor::inspect
