#pragma once
// A picture of a compiled scenario as one SVG document: the route plan (when the route
// plot was read) with stations, signals and sign boards along it, and under it the line
// profile against distance: stations, signals and boards, line speed with slow-downs,
// gradient, and mountain stretches with their tunnel markers.

#include <string>

#include "compiler/track_model.h"

namespace compactor::inspect {

std::string scenario_svg(const TrackModel& model);

}  // namespace compactor::inspect
