#include "compiler/timetable.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <utility>

#include "sources/conversion.h"

namespace compactor {
namespace {

constexpr double kSecondsPerHourKm = 3.6;  // metres at v km/h take metres x 3.6 / v seconds
constexpr int64_t kDay = 24 * 3600;

// One piece of a run: the metres [from, to) inside one section, at that section's speed.
// Sections outside the array bound nothing.
template <typename Visit>
void for_each_piece(std::span<const int32_t> speeds, int32_t from, int32_t to, Visit visit) {
  for (int64_t at = from; at < to;) {
    const int64_t section =
        at >= 0 ? at / kMetresPerSection : -((-at + kMetresPerSection - 1) / kMetresPerSection);
    const int64_t end = std::min<int64_t>(to, (section + 1) * kMetresPerSection);
    const bool known = section >= 0 && section < static_cast<int64_t>(speeds.size());
    visit(static_cast<int32_t>(at), static_cast<int32_t>(end),
          known ? std::optional<int32_t>(speeds[static_cast<size_t>(section)]) : std::nullopt);
    at = end;
  }
}

}  // namespace

std::vector<int32_t> allowed_speeds(const TrackModel& model) {
  std::vector<int32_t> speeds(model.sections.size());
  for (size_t i = 0; i < speeds.size(); ++i) speeds[i] = model.sections[i].speed_code * 5;
  // Open slow-downs: start section and values; an end closes the latest open one with the
  // same values, or else the latest open one.
  struct Open {
    size_t start;
    const TrackCell* cell;
  };
  std::vector<Open> open;
  auto same = [](const TrackCell& a, const TrackCell& b) {
    return a.data1 == b.data1 && a.data2 == b.data2 && a.data3 == b.data3;
  };
  for (size_t i = 0; i < model.sections.size(); ++i) {
    const TrackCell& c = model.sections[i];
    if (c.kind == kKindSlowStart) {
      open.push_back({i, &c});
    } else if (c.kind == kKindSlowEnd && !open.empty()) {
      auto it = std::find_if(open.rbegin(), open.rend(), [&](const Open& o) { return same(*o.cell, c); });
      if (it == open.rend()) it = open.rbegin();
      const Open o = *it;
      open.erase(std::next(it).base());
      // Start section s stands for metre (s - 1) x 50, end section e for (e - 1) x 50: the
      // sections s - 1 to e - 2 lie inside.
      if (o.start == 0) continue;
      for (size_t k = o.start - 1; k + 1 < i; ++k) speeds[k] = std::min<int32_t>(speeds[k], o.cell->data1);
    }
  }
  return speeds;
}

RunBound fastest_run(std::span<const int32_t> speeds, int32_t from, int32_t to) {
  RunBound bound;
  for_each_piece(speeds, from, to, [&](int32_t a, int32_t b, std::optional<int32_t> v) {
    if (!v) return;
    if (*v <= 0) {
      if (!bound.stopped_from) {
        bound.stopped_from = a;
        bound.stopped_to = b;
      } else if (*bound.stopped_to == a) {
        bound.stopped_to = b;
      }
      return;
    }
    bound.seconds += (b - a) * kSecondsPerHourKm / *v;
  });
  if (bound.blocked()) bound.seconds = std::numeric_limits<double>::infinity();
  return bound;
}

std::vector<RunPoint> fastest_run_points(std::span<const int32_t> speeds, int32_t from, int32_t to) {
  std::vector<RunPoint> points{{from, 0.0}};
  std::optional<int32_t> last_speed;
  bool blocked = false;
  for_each_piece(speeds, from, to, [&](int32_t a, int32_t b, std::optional<int32_t> v) {
    if (v && *v <= 0) blocked = true;
    if (blocked) return;
    const double took = v ? (b - a) * kSecondsPerHourKm / *v : 0.0;
    if (points.size() > 1 && last_speed == v) {
      points.back().metre = b;
      points.back().seconds += took;
    } else {
      points.push_back({b, points.back().seconds + took});
    }
    last_speed = v;
  });
  if (blocked) return {};
  return points;
}

std::vector<TimetableLeg> timetable_legs(std::span<const int32_t> speeds,
                                         std::span<const TimetableStop> stops) {
  std::vector<TimetableLeg> legs;
  std::optional<size_t> previous;
  for (size_t i = 0; i < stops.size(); ++i) {
    if (!stops[i].timed()) continue;
    if (previous && stops[*previous].position <= stops[i].position) {
      TimetableLeg leg;
      leg.from = *previous;
      leg.to = i;
      leg.bound = fastest_run(speeds, stops[*previous].position, stops[i].position);
      leg.given = stops[i].time - stops[*previous].time;
      if (leg.given < -kDay / 2) leg.given += kDay;
      if (leg.bound.blocked()) {
        leg.verdict = LegVerdict::blocked;
      } else {
        // A hair of rounding must not turn an exact bound of 480 s into 480.000001.
        leg.least = static_cast<int64_t>(std::floor(leg.bound.seconds + 1e-6));
        leg.verdict = leg.given < 0           ? LegVerdict::backwards
                      : leg.given < leg.least ? LegVerdict::too_tight
                                              : LegVerdict::ok;
      }
      legs.push_back(leg);
    }
    previous = i;
  }
  return legs;
}

std::optional<int64_t> TimetableLeg::realistic_whole() const {
  if (!realistic) return std::nullopt;
  return to_int<int64_t>(*realistic);
}

int64_t clock_seconds(const TrackModel& model) {
  const SlotRecord& s = model.slot(kCabSlot);
  return (int64_t{s.short3} * 60 + s.short4) * 60 + s.short5;
}

std::string clock_text(int64_t seconds) {
  const char* sign = seconds < 0 ? "-" : "";
  const int64_t s = seconds < 0 ? -seconds : seconds;
  char buf[48];
  std::snprintf(buf, sizeof buf, "%s%02lld:%02lld:%02lld", sign, static_cast<long long>(s / 3600),
                static_cast<long long>(s / 60 % 60), static_cast<long long>(s % 60));
  return buf;
}

std::string duration_text(int64_t seconds) {
  const int64_t s = seconds < 0 ? -seconds : seconds;
  std::string out;
  const std::pair<int64_t, const char*> parts[] = {{s / 3600, "h"}, {s / 60 % 60, "min"}, {s % 60, "s"}};
  for (const auto& [n, unit] : parts) {
    if (n != 0) out += (out.empty() ? "" : " ") + std::to_string(n) + " " + unit;
  }
  if (out.empty()) return "0 s";
  return (seconds < 0 ? "-" : "") + out;
}

}  // namespace compactor
