#include "compiler/route_plot.h"

#include <algorithm>
#include <atomic>
#include <climits>
#include <utility>

#include "sources/bit_copy.h"

namespace compactor {

namespace {

std::atomic<uint64_t> points_computed{0};

std::string outside(int64_t metre, int32_t points) {
  return "plot point " + std::to_string(metre) + " outside 0.." + std::to_string(static_cast<int64_t>(points) - 1);
}

}  // namespace

uint64_t plot_points_computed() { return points_computed.load(std::memory_order_relaxed); }

void count_plot_points(int64_t n) { points_computed.fetch_add(static_cast<uint64_t>(n), std::memory_order_relaxed); }

RoutePlot::RoutePlot(int32_t points) : points_(points) {
  if (points < 0) throw IndexFault("a route plot of " + std::to_string(points) + " points");
}

RoutePlot RoutePlot::from_values(const std::vector<PlotValue>& values) {
  RoutePlot p = for_values(values.size());
  for (size_t i = 0; i < values.size(); ++i) p.store(i, values[i]);
  return p;
}

RoutePlot RoutePlot::for_values(size_t count) {
  if (count % 2 != 0) throw std::invalid_argument("a route plot needs as many y values as x values");
  if (count / 2 > static_cast<size_t>(INT_MAX)) throw std::length_error("a route plot too long");
  RoutePlot p(static_cast<int32_t>(count / 2));
  p.from_file_ = true;
  p.stored_numbers_.assign(count, 0.0);
  p.stored_kinds_.assign(count, 0);
  return p;
}

void RoutePlot::store(size_t index, PlotValue value) {
  if (index >= stored_kinds_.size()) throw IndexFault("plot value " + std::to_string(index) + " outside the plot");
  stored_kinds_[index] = static_cast<uint8_t>(value.index());
  if (const auto* i = std::get_if<int16_t>(&value)) stored_numbers_[index] = *i;
  if (const auto* d = std::get_if<double>(&value)) stored_numbers_[index] = *d;
}

PlotValue RoutePlot::stored(size_t index) const {
  if (index >= stored_kinds_.size()) throw IndexFault("plot value " + std::to_string(index) + " outside the plot");
  switch (stored_kinds_[index]) {
    case 1:
      return static_cast<int16_t>(stored_numbers_[index]);
    case 2:
      return stored_numbers_[index];
    default:
      return std::monostate{};
  }
}

void RoutePlot::set_origin() {
  // (0, 0) then (0, 1), point by point, as the compiler has always set them.
  origin_ = std::min(points_, 1);
  if (points_ < 2) throw IndexFault(outside(1, points_));
  origin_ = 2;
  next_ = 2;
  runs_.clear();
  marks_.reset();
}

void RoutePlot::extend_straight(int64_t end) { extend(end, false, 0.0); }

void RoutePlot::extend_curved(int64_t end, double curvature) { extend(end, true, curvature); }

void RoutePlot::extend(int64_t end, bool curved, double curvature) {
  if (origin_ < 2 || from_file_) throw IndexFault("the route plot is extended before its first two points");
  if (end <= next_) return;
  const int32_t stop = static_cast<int32_t>(std::min<int64_t>(end, points_));
  if (stop > next_) {
    PlotRun* last = runs_.empty() ? nullptr : &runs_.back();
    // A run that goes on with the same recurrence is one run.
    if (last && last->curved == curved &&
        (!curved || bit_copy<uint64_t>(last->curvature) == bit_copy<uint64_t>(curvature))) {
      last->end = stop;
    } else {
      runs_.push_back(PlotRun{next_, stop, curved, curvature});
    }
    next_ = stop;
    marks_.reset();
  }
  if (end > points_) throw IndexFault(outside(points_, points_));
}

const RoutePlot::Marks& RoutePlot::marks() const {
  if (!marks_) {
    auto m = std::make_shared<Marks>();
    m->first_mark.reserve(runs_.size());
    PlotState s = kPlotOrigin;
    for (const PlotRun& run : runs_) {
      m->first_mark.push_back(m->states.size());
      for (int32_t c = run.first; c < run.end; c += kMarkStride) {
        m->states.push_back(s);
        s = step_run(run, s, std::min(kMarkStride, run.end - c), [](double, double) {});
      }
    }
    m->last = s;
    marks_ = std::move(m);
  }
  return *marks_;
}

PlotState RoutePlot::before_run(size_t k) const {
  const Marks& m = marks();
  if (k >= runs_.size()) throw IndexFault("plot run " + std::to_string(k) + " outside the plot");
  return m.states[m.first_mark[k]];
}

PlotState RoutePlot::last_points() const { return marks().last; }

PlotValue RoutePlot::at(int64_t metre, int axis) const {
  if (metre < 0 || metre >= points_ || axis < 0 || axis > 1) throw IndexFault(outside(metre, points_));
  if (from_file_) return stored(static_cast<size_t>(metre + axis * static_cast<int64_t>(points_)));
  if (metre < origin_) return int16_t(axis == 1 && metre == 1 ? 1 : 0);
  if (metre >= next_) return std::monostate{};
  // The run holding the metre: the last one that starts at or before it.
  const auto it = std::upper_bound(runs_.begin(), runs_.end(), metre,
                                   [](int64_t m, const PlotRun& r) { return m < r.first; });
  const size_t k = static_cast<size_t>(it - runs_.begin()) - 1;
  const PlotRun& run = runs_[k];
  const Marks& m = marks();
  const int64_t mark = (metre - run.first) / kMarkStride;
  const PlotState from = m.states[m.first_mark[k] + static_cast<size_t>(mark)];
  const int32_t n = static_cast<int32_t>(metre - (run.first + mark * kMarkStride)) + 1;
  const PlotState s = step_run(run, from, n, [](double, double) {});
  return axis == 0 ? s.x1 : s.y1;
}

std::vector<PlotValue> RoutePlot::values() const {
  std::vector<PlotValue> out(2 * static_cast<size_t>(points_));
  if (from_file_) {
    for (size_t i = 0; i < out.size(); ++i) out[i] = stored(i);
    return out;
  }
  const size_t n = static_cast<size_t>(points_);
  for (int32_t m = 0; m < origin_; ++m) {
    out[static_cast<size_t>(m)] = int16_t{0};
    out[n + static_cast<size_t>(m)] = int16_t(m);
  }
  PlotState s = kPlotOrigin;
  for (const PlotRun& run : runs_) {
    size_t c = static_cast<size_t>(run.first);
    s = step_run(run, s, run.end - run.first, [&](double x, double y) {
      out[c] = x;
      out[n + c] = y;
      ++c;
    });
  }
  return out;
}

}  // namespace compactor
