#pragma once
// The whole compiled scenario as JSON, and back. Every field of every section and slot
// is kept under its own name; texts are UTF-8; the route plot is two arrays "x" and "y"
// whose entries are null (never computed), an integer (a 16-bit point) or a number with
// a fraction or exponent (a double, printed so that it reads back to the same bits; a
// double that is not finite is a string of its 16 hexadecimal IEEE digits).
// "index", "kind_name" and "role" are there for the reader and are not read back.

#include <nlohmann/json.hpp>

#include "compiler/realistic_run.h"
#include "compiler/track_model.h"

namespace compactor::inspect {

using Json = nlohmann::ordered_json;

Json model_to_json(const TrackModel& model);

// Throws InspectError naming the place in the JSON ("sections[3].data1") when a field is
// missing, of the wrong type, or does not fit its width.
TrackModel model_from_json(const Json& json);

// The timetable: one object per station (name, position, chainage, time, and from the timed
// station before it: from, fastest_s, realistic_s, given_s, margin_s, verdict), the clock,
// and the realistic run's rates (m/s², null when the braked mass gives none).
Json timetable_json(const TrackModel& model, double acceleration = kPlanningAcceleration);

}  // namespace compactor::inspect
