#pragma once
// The fastest a train can possibly run between two stations, and what a timetable asks
// against it. The bound takes the distance at the train's speed limits ("velocita"),
// lowered inside every slow-down to its speed, with no acceleration, no braking and no
// stop: no real train beats it, so a timetable that gives less time than the bound cannot
// be kept, and one that gives more is never called too tight.
//
// Everything here reads the compiled model only, so the compiler's warning, the
// timetable table and the picture of a compiled scenario all use the same numbers.

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "compiler/track_model.h"

namespace compactor {

// The speed the train may run at in each section, in km/h: the line speed (speed_code
// x 5), lowered inside every slow-down to its speed. A slow-down runs from the metre of
// its start section to the metre of its end section; each start pairs with the next end
// that carries the same values (speed, second value, f_tt), or else the nearest end.
std::vector<int32_t> allowed_speeds(const TrackModel& model);

// The fastest run from metre `from` to metre `to` (from <= to) at those speeds.
struct RunBound {
  double seconds = 0;  // infinity when a speed of 0 (or less) stands in the way
  // The first stretch with a speed of 0, in metres, when there is one.
  std::optional<int32_t> stopped_from;
  std::optional<int32_t> stopped_to;
  bool blocked() const { return stopped_from.has_value(); }
};
RunBound fastest_run(std::span<const int32_t> speeds, int32_t from, int32_t to);

// The fastest run as points (metre, seconds after `from`) at `from`, at every change of
// speed and at `to`; between two points the run is straight. Empty when it is blocked.
struct RunPoint {
  int32_t metre = 0;
  double seconds = 0;
};
std::vector<RunPoint> fastest_run_points(std::span<const int32_t> speeds, int32_t from, int32_t to);

// A station as the timetable sees it.
struct TimetableStop {
  int32_t position = 0;  // metres
  int64_t time = 0;      // seconds after midnight; 0 (0:00:00) stands for no time
  bool timed() const { return time != 0; }
};

enum class LegVerdict {
  ok,
  too_tight,  // the timetable gives less than the bound
  backwards,  // the later station's time comes before the earlier one's
  blocked,    // a speed of 0 stands between the two stations
};

// Two stations that both have a time, with no timed station between them.
struct TimetableLeg {
  size_t from = 0;  // indexes into the stops
  size_t to = 0;
  RunBound bound;
  int64_t least = 0;  // the bound in whole seconds (rounded down; the bound itself is at least this)
  int64_t given = 0;  // seconds the timetable gives; a drop of more than 12 h is read as passing midnight
  LegVerdict verdict = LegVerdict::ok;
  // The realistic run's seconds (realistic_run.h), when its rates are known and the way is open.
  std::optional<double> realistic;
  // The realistic run in whole seconds (the nearest), when there is one.
  std::optional<int64_t> realistic_whole() const;
};

// Every leg of the stops, in order. Stops out of order (a later one at a smaller
// position) make no leg.
std::vector<TimetableLeg> timetable_legs(std::span<const int32_t> speeds,
                                         std::span<const TimetableStop> stops);

// The clock ("orologio": slot 86 short3, short4, short5) in seconds after midnight.
int64_t clock_seconds(const TrackModel& model);

// Seconds after midnight as hh:mm:ss ("-" before a negative time).
std::string clock_text(int64_t seconds);

// "5 min 37 s", "4 min", "45 s", "1 h 2 min"; "-" before a negative duration.
std::string duration_text(int64_t seconds);

}  // namespace compactor
