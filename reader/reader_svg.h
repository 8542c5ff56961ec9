#pragma once
// A picture of a compiled scenario as one SVG document: the route plan (when the route
// plot was read) with stations, signals and sign boards along it, and under it the line
// profile against distance: stations, signals and boards, line speed with slow-downs,
// gradient, and mountain stretches with their tunnel markers; then the time-distance
// diagram of the timetable against the fastest possible and the realistic run.

#include <string>

#include "compiler/realistic_run.h"
#include "compiler/track_model.h"
#include "sources/messages.h"

namespace compactor::inspect {

// The time-distance diagram draws the realistic run at that planning acceleration. The words
// (titles, legends, axis labels, a feature's title and fields) are in the language; the
// data-* attributes that name a feature's kind and record stay as they are, for a page that
// keys on them.
std::string scenario_svg(const TrackModel& model, double acceleration = kPlanningAcceleration,
                         Language language = Language::en);

}  // namespace compactor::inspect
