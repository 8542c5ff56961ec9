#include "compiler/realistic_run.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdio>
#include <limits>

#include "compiler/braking.h"

namespace compactor {
namespace {

// One stretch of the run inside one section, at that section's speed in m/s.
struct Piece {
  double from = 0;
  double to = 0;
  double limit = 0;
  double entry = 0;  // the speed the run may enter with, accelerating from the start
  double exit = 0;   // the speed the run may leave with, braking to the end
};

// The pieces from `from` to `to`, each inside one section.
std::vector<Piece> pieces(std::span<const int32_t> speeds, int32_t from, int32_t to) {
  std::vector<Piece> out;
  out.reserve(static_cast<size_t>(std::max<int64_t>(0, (int64_t{to} - from) / kMetresPerSection + 2)));
  const int64_t last = static_cast<int64_t>(speeds.size()) - 1;
  for (int64_t at = from; at < to;) {
    const int64_t section = at >= 0 ? at / kMetresPerSection : -1;
    const int64_t end = std::min<int64_t>(to, section < 0 ? 0 : (section + 1) * kMetresPerSection);
    const int32_t kmh = speeds[static_cast<size_t>(std::clamp<int64_t>(section, 0, last))];
    out.push_back(Piece{static_cast<double>(at), static_cast<double>(end), kmh / 3.6, 0, 0});
    at = end;
  }
  return out;
}

// Within a piece the run goes at the least of three speeds: the limit, the speed reached
// accelerating from the entry, sqrt(entry² + 2a(x - from)), and the speed from which it
// brakes to the exit, sqrt(exit² + 2b(to - x)).
enum class Form { limit, accelerating, braking };

constexpr int32_t kCurveStep = 250;  // metres between the points of an accelerating or braking stretch

struct Profile {
  const Piece& p;
  const RunRates& r;
  double accelerating(double x) const {
    return std::sqrt(p.entry * p.entry + 2 * r.acceleration * (x - p.from));
  }
  double braking(double x) const { return std::sqrt(p.exit * p.exit + 2 * r.braking * (p.to - x)); }
  Form form_at(double x) const {
    const double a = accelerating(x), b = braking(x);
    if (p.limit <= a && p.limit <= b) return Form::limit;
    return a <= b ? Form::accelerating : Form::braking;
  }
  // Seconds from u to w (u < w) in one form: dx / v integrated.
  double seconds(Form f, double u, double w) const {
    switch (f) {
      case Form::limit:
        return (w - u) / p.limit;
      case Form::accelerating:
        return (accelerating(w) - accelerating(u)) / r.acceleration;
      case Form::braking:
        return (braking(u) - braking(w)) / r.braking;
    }
    return 0;
  }
  // Where the form may change, in order: the run reaches the limit, leaves it, or turns from
  // accelerating to braking. Returns how many of the five places are used.
  size_t breaks(std::array<double, 5>& at) const {
    size_t n = 0;
    at[n++] = p.from;
    const double a = r.acceleration, b = r.braking, l2 = p.limit * p.limit;
    for (const double x :
         {p.from + (l2 - p.entry * p.entry) / (2 * a), p.to - (l2 - p.exit * p.exit) / (2 * b),
          (p.exit * p.exit - p.entry * p.entry + 2 * b * p.to + 2 * a * p.from) / (2 * (a + b))})
      if (x > p.from && x < p.to) at[n++] = x;
    at[n++] = p.to;
    for (size_t i = 2; i + 1 < n; ++i)  // at most three places between the ends
      for (size_t j = i; j > 1 && at[j] < at[j - 1]; --j) std::swap(at[j], at[j - 1]);
    return n;
  }
};

}  // namespace

std::optional<RunRates> planning_rates(const TrackModel& model, double acceleration) {
  const int32_t braked_mass = model.slot(kTrainSlot).value1;
  const std::optional<double> full = full_braking_rate(std::min(braked_mass, kBrakedMassHighest));
  if (!full || !acceptable_acceleration(acceleration)) return std::nullopt;
  return RunRates{acceleration, kServiceBrakingShare * *full};
}

Message run_rates_message(const RunRates& rates) {
  // Two decimals at most, without trailing zeros: 0.3, 0.49.
  auto shown = [](double v) {
    char buf[32];
    std::snprintf(buf, sizeof buf, "%.2f", v);
    std::string s = buf;
    while (s.back() == '0') s.pop_back();
    if (s.back() == '.') s.pop_back();
    return s;
  };
  return msg(MessageId::run_rates, shown(rates.acceleration), shown(rates.braking));
}

std::string run_rates_text(const RunRates& rates) { return render(run_rates_message(rates), Language::en); }

bool acceptable_acceleration(double acceleration) {
  return acceleration >= kAccelerationLowest && acceleration <= kAccelerationHighest;
}

RealisticRun realistic_run(std::span<const int32_t> speeds, int32_t from, int32_t to, const RunRates& rates) {
  RealisticRun run;
  if (speeds.empty() || !(rates.acceleration > 0) || !(rates.braking > 0)) {
    run.seconds = std::numeric_limits<double>::infinity();
    return run;
  }
  std::vector<Piece> ps = pieces(speeds, from, to);
  if (std::any_of(ps.begin(), ps.end(), [](const Piece& p) { return p.limit <= 0; })) {
    run.seconds = std::numeric_limits<double>::infinity();
    return run;
  }
  // Forward from rest at the start, backward from rest at the end.
  double v = 0;
  for (Piece& p : ps) {
    p.entry = std::min(p.limit, v);
    v = std::min(p.limit, std::sqrt(p.entry * p.entry + 2 * rates.acceleration * (p.to - p.from)));
  }
  v = 0;
  for (auto it = ps.rbegin(); it != ps.rend(); ++it) {
    it->exit = std::min(it->limit, v);
    v = std::min(it->limit, std::sqrt(it->exit * it->exit + 2 * rates.braking * (it->to - it->from)));
  }
  // Points at ends of pieces, where the run is exact: a stretch at one limit is one line, and
  // a stretch of accelerating or braking has a point every kCurveStep metres or so.
  run.points.push_back({from, 0.0});
  double t = 0;
  std::optional<double> cruising;  // the limit of the last point's stretch, when all of it ran at it
  bool curving = false;            // the last point ends a piece that accelerated or braked
  for (const Piece& p : ps) {
    bool at_limit = p.entry >= p.limit && p.exit >= p.limit;  // the whole piece at the limit
    if (at_limit) {
      t += (p.to - p.from) / p.limit;
    } else {
      const Profile profile{p, rates};
      std::array<double, 5> at;
      const size_t n = profile.breaks(at);
      at_limit = true;
      for (size_t k = 0; k + 1 < n; ++k) {
        if (at[k + 1] <= at[k]) continue;
        const Form f = profile.form_at((at[k] + at[k + 1]) / 2);
        t += profile.seconds(f, at[k], at[k + 1]);
        at_limit = at_limit && f == Form::limit;
      }
    }
    const RunPoint end{static_cast<int32_t>(p.to), t};
    const size_t n = run.points.size();
    const bool same_line = at_limit && cruising == p.limit;
    const bool same_curve = !at_limit && curving && end.metre - run.points[n - 2].metre < kCurveStep;
    if (n > 1 && (same_line || same_curve))
      run.points.back() = end;
    else
      run.points.push_back(end);
    cruising = at_limit ? std::optional<double>(p.limit) : std::nullopt;
    curving = !at_limit;
  }
  run.seconds = t;
  return run;
}

void add_realistic_runs(std::span<TimetableLeg> legs, std::span<const int32_t> speeds,
                        std::span<const TimetableStop> stops, const RunRates& rates) {
  for (TimetableLeg& leg : legs) {
    if (leg.bound.blocked()) continue;
    const RealisticRun run = realistic_run(speeds, stops[leg.from].position, stops[leg.to].position, rates);
    if (!run.blocked()) leg.realistic = run.seconds;
  }
}

}  // namespace compactor
