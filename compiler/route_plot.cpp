#include "compiler/route_plot.h"

#include <algorithm>
#include <climits>
#include <utility>

#include "sources/bit_copy.h"

namespace compactor {

namespace {

std::string outside(int64_t metre, int32_t points) {
  return "plot point " + std::to_string(metre) + " outside 0.." + std::to_string(static_cast<int64_t>(points) - 1);
}

}  // namespace

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
  last_ = PlotState{0.0, 0.0, 0.0, 1.0};
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
    if (last && last->end == next_ && last->curved == curved &&
        (!curved || bit_copy<uint64_t>(last->curvature) == bit_copy<uint64_t>(curvature))) {
      last->end = stop;
    } else {
      runs_.push_back(PlotRun{next_, stop, curved, curvature, last_});
    }
    const int32_t n = stop - next_;
    PlotState s = last_;
    if (curved)
      for (int32_t k = 0; k < n; ++k) s.step_curved(curvature);
    else
      for (int32_t k = 0; k < n; ++k) s.step_straight();
    last_ = s;
    next_ = stop;
  }
  if (end > points_) throw IndexFault(outside(points_, points_));
}

PlotValue RoutePlot::at(int64_t metre, int axis) const {
  if (metre < 0 || metre >= points_ || axis < 0 || axis > 1) throw IndexFault(outside(metre, points_));
  if (from_file_) return stored(static_cast<size_t>(metre + axis * static_cast<int64_t>(points_)));
  if (metre < origin_) return int16_t(axis == 1 && metre == 1 ? 1 : 0);
  if (metre >= next_) return std::monostate{};
  // The run holding the metre: the last one that starts at or before it.
  const auto it = std::upper_bound(runs_.begin(), runs_.end(), metre,
                                   [](int64_t m, const PlotRun& r) { return m < r.first; });
  const PlotRun& run = *(it - 1);
  PlotState s = run.before;
  for (int64_t c = run.first; c <= metre; ++c) run.step(s);
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
  for (const PlotRun& run : runs_) {
    PlotState s = run.before;
    for (int32_t c = run.first; c < run.end; ++c) {
      run.step(s);
      out[static_cast<size_t>(c)] = s.x1;
      out[n + static_cast<size_t>(c)] = s.y1;
    }
  }
  return out;
}

PlotPoints::PlotPoints(const RoutePlot& plot) : plot_(plot) {
  first_mark_.reserve(plot.runs().size());
  for (const PlotRun& run : plot.runs()) {
    first_mark_.push_back(marks_.size());
    PlotState s = run.before;
    for (int32_t c = run.first; c < run.end; ++c) {
      if ((c - run.first) % kStride == 0) marks_.push_back(s);
      run.step(s);
    }
  }
}

PlotValue PlotPoints::at(int64_t metre, int axis) const {
  const std::vector<PlotRun>& runs = plot_.runs();
  if (plot_.from_file() || metre < plot_.origin_points() || metre >= plot_.next() || runs.empty() ||
      metre < runs.front().first)
    return plot_.at(metre, axis);  // no run to step: a stored value, the origin, or checked there
  const auto it = std::upper_bound(runs.begin(), runs.end(), metre,
                                   [](int64_t m, const PlotRun& r) { return m < r.first; });
  const size_t k = static_cast<size_t>(it - runs.begin()) - 1;
  const PlotRun& run = runs[k];
  if (metre >= run.end) return plot_.at(metre, axis);
  const int64_t mark = (metre - run.first) / kStride;
  PlotState s = marks_[first_mark_[k] + static_cast<size_t>(mark)];
  for (int64_t c = run.first + mark * kStride; c <= metre; ++c) run.step(s);
  return axis == 0 ? s.x1 : s.y1;
}

}  // namespace compactor
