#pragma once
// The route plot: the plan coordinates of the line for every metre, x and y.
//
// Every point after the first two follows from the two before it with + - x only, so a
// compiled plot is kept as the list of runs that computed it: where each straight or
// curved run starts and ends, its curvature, and the two points before it. Any metre
// can still be asked for (the run is repeated up to it), and a writer regenerates the
// values in order, exactly as they were computed, without the plot ever being held
// whole. A plot read back from a file has no runs; it keeps its values as they came.

#include <cstdint>
#include <stdexcept>
#include <string>
#include <variant>
#include <vector>

namespace compactor {

// One entry of the route plot: never assigned, a 16-bit integer or a double.
using PlotValue = std::variant<std::monostate, int16_t, double>;

// Thrown by the checked accessors when an index falls outside its table.
// Inside the compiler it becomes fault 25; nothing is ever written outside a table.
class IndexFault : public std::out_of_range {
 public:
  explicit IndexFault(const std::string& what) : std::out_of_range(what) {}
};

// The two points before the next one; one step of a run moves them on by a metre.
struct PlotState {
  double x2 = 0.0, y2 = 0.0;  // point c-2
  double x1 = 0.0, y1 = 0.0;  // point c-1

  // The next point continues the last step unchanged.
  void step_straight() {
    step_straight_axis<0>();
    step_straight_axis<1>();
  }
  // The same on one axis alone (0: x, 1: y): on a straight run the axes do not meet.
  template <int kAxis>
  void step_straight_axis() {
    double& last = kAxis == 0 ? x1 : y1;
    double& before = kAxis == 0 ? x2 : y2;
    const double next = last + (last - before);
    before = last;
    last = next;
  }
  // The next point turns the last step by the curvature (positive: clockwise).
  void step_curved(double curvature) {
    const double dx = x1 - x2;
    const double dy = y1 - y2;
    const double x = x1 + (dx + curvature * dy);
    const double y = y1 + (dy - curvature * dx);
    x2 = x1;
    y2 = y1;
    x1 = x;
    y1 = y;
  }
};

// Metres first to end - 1, computed by one recurrence from the state before first.
struct PlotRun {
  int32_t first = 0;
  int32_t end = 0;
  bool curved = false;
  double curvature = 0.0;  // of a curved run
  PlotState before;

  // Moves the state on by one metre of this run.
  void step(PlotState& s) const {
    if (curved)
      s.step_curved(curvature);
    else
      s.step_straight();
  }
};

class RoutePlot {
 public:
  RoutePlot() = default;
  // Metres 0 to points - 1, all empty.
  explicit RoutePlot(int32_t points);
  // A plot read back from a file: the x value of every metre, then the y values.
  // The count must be even.
  static RoutePlot from_values(const std::vector<PlotValue>& values);
  // The same, for a reader that decodes the values itself: values.size() values, all empty
  // until stored. A stored value takes 9 bytes, where a PlotValue takes 16.
  static RoutePlot for_values(size_t count);
  void store(size_t index, PlotValue value);

  int32_t points() const { return points_; }
  bool from_file() const { return from_file_; }

  // Sets points 0 and 1 to (0, 0) and (0, 1) as 16-bit integers. A plot of one point
  // gets point 0, then IndexFault.
  void set_origin();
  // Number of the leading points set by set_origin (0 to 2).
  int32_t origin_points() const { return origin_; }
  // The next metre to compute: 2 once the origin is set.
  int32_t next() const { return next_; }
  // Points next() - 2 and next() - 1 once the origin is set.
  const PlotState& last_points() const { return last_; }

  // Compute metres next() to end - 1 from the two points before each. When end passes
  // the plot, the metres that fit are computed and IndexFault follows. The origin must
  // be set.
  void extend_straight(int64_t end);
  void extend_curved(int64_t end, double curvature);

  // The value of a metre on axis 0 (x) or 1 (y); IndexFault outside the plot.
  PlotValue at(int64_t metre, int axis) const;
  // Every value in file order (x for every metre, then y): for tools and tests.
  std::vector<PlotValue> values() const;

  const std::vector<PlotRun>& runs() const { return runs_; }
  // Value index of a plot read back from a file (x for every metre, then y).
  PlotValue stored(size_t index) const;

 private:
  void extend(int64_t end, bool curved, double curvature);

  int32_t points_ = 0;
  int32_t origin_ = 0;
  int32_t next_ = 0;
  std::vector<PlotRun> runs_;
  PlotState last_;  // points next_-2 and next_-1 once the origin is set
  bool from_file_ = false;
  // A plot read back from a file: each value as a double (a 16-bit integer is one exactly),
  // and its kind, an index of PlotValue (0 empty, 1 16-bit integer, 2 double).
  std::vector<double> stored_numbers_;
  std::vector<uint8_t> stored_kinds_;
};

// A plot's points in any order at a bounded cost, for a reader that asks for many: one
// pass over the runs keeps the two points before every kStride-th metre of each run, and
// a point is then at most kStride steps of its run from one. The values are those of
// RoutePlot::at, bit for bit: the steps are the same, from the same states.
class PlotPoints {
 public:
  static constexpr int32_t kStride = 1024;
  explicit PlotPoints(const RoutePlot& plot);
  // As plot.at(metre, axis).
  PlotValue at(int64_t metre, int axis) const;

 private:
  const RoutePlot& plot_;
  std::vector<size_t> first_mark_;  // of each run, in marks_
  std::vector<PlotState> marks_;    // before metres first, first + kStride, ... of each run
};

}  // namespace compactor
