#pragma once
// The route plot: the plan coordinates of the line for every metre, x and y.
//
// Every point after the first two follows from the two before it with + - x only, so a
// compiled plot is kept as the list of runs that make it: where each straight or curved
// run starts and ends, and its curvature. Recording a run computes nothing; the values are
// computed once, in order, by whoever needs them all (the writer of the plot's file puts
// each one out as it comes, exactly as the recurrence gives it). A reader that asks for
// single metres gets them through marks that one such walk leaves. A plot read back from a
// file has no runs; it keeps its values as they came.

#include <cstdint>
#include <memory>
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

  // The next point continues the last step unchanged. (Inlined into the loops that step a
  // million times in every build, the sanitizers' included.)
  [[gnu::always_inline]] void step_straight() {
    const double x = x1 + (x1 - x2);
    const double y = y1 + (y1 - y2);
    x2 = x1;
    y2 = y1;
    x1 = x;
    y1 = y;
  }
  // The next point turns the last step by the curvature (positive: clockwise).
  [[gnu::always_inline]] void step_curved(double curvature) {
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

// Points 0 and 1, (0, 0) and (0, 1): the state before the first run.
inline constexpr PlotState kPlotOrigin{0.0, 0.0, 0.0, 1.0};

// Metres first to end - 1, computed by one recurrence from the two points before first.
struct PlotRun {
  int32_t first = 0;
  int32_t end = 0;
  bool curved = false;
  double curvature = 0.0;  // of a curved run
};

// How many plot points step_run has computed in this process: lets a test see that a
// compile computes each value once.
uint64_t plot_points_computed();
void count_plot_points(int64_t n);

// Computes n metres of a run from the state before them, handing each point to put(x, y),
// and returns the state after them. Every value of a compiled plot is computed here.
template <typename Put>
PlotState step_run(const PlotRun& run, PlotState s, int32_t n, Put&& put) {
  count_plot_points(n);
  if (run.curved) {
    const double c = run.curvature;
    for (int32_t k = 0; k < n; ++k) {
      s.step_curved(c);
      put(s.x1, s.y1);
    }
  } else {
    for (int32_t k = 0; k < n; ++k) {
      s.step_straight();
      put(s.x1, s.y1);
    }
  }
  return s;
}

class RoutePlot {
 public:
  // A reader of single metres steps at most this many metres from a mark.
  static constexpr int32_t kMarkStride = 1024;

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

  // Records metres next() to end - 1 as computed from the two points before each, straight
  // on or turned by the curvature; no value is computed here. When end passes the plot,
  // the metres that fit are recorded and IndexFault follows. The origin must be set.
  void extend_straight(int64_t end);
  void extend_curved(int64_t end, double curvature);

  // The runs in order: the first starts at metre 2, each one where the one before ends,
  // the last ends at next().
  const std::vector<PlotRun>& runs() const { return runs_; }

  // The value of a metre on axis 0 (x) or 1 (y); IndexFault outside the plot. The first
  // call on a compiled plot walks it once and keeps the two points before every
  // kMarkStride-th metre of each run; each call then steps at most kMarkStride metres.
  PlotValue at(int64_t metre, int axis) const;
  // Every value in file order (x for every metre, then y): for tools and tests.
  std::vector<PlotValue> values() const;
  // The two points before run k, and the last two points computed: from the same marks.
  PlotState before_run(size_t k) const;
  PlotState last_points() const;

  // Value index of a plot read back from a file (x for every metre, then y).
  PlotValue stored(size_t index) const;

 private:
  // The walk's marks: the state before metres first, first + kMarkStride, ... of each run.
  struct Marks {
    std::vector<size_t> first_mark;  // of each run, in states
    std::vector<PlotState> states;
    PlotState last = kPlotOrigin;
  };
  const Marks& marks() const;
  void extend(int64_t end, bool curved, double curvature);

  int32_t points_ = 0;
  int32_t origin_ = 0;
  int32_t next_ = 0;
  std::vector<PlotRun> runs_;
  // Made by the first reader of single metres; shared by copies, dropped by a change.
  mutable std::shared_ptr<const Marks> marks_;
  bool from_file_ = false;
  // A plot read back from a file: each value as a double (a 16-bit integer is one exactly),
  // and its kind, an index of PlotValue (0 empty, 1 16-bit integer, 2 double).
  std::vector<double> stored_numbers_;
  std::vector<uint8_t> stored_kinds_;
};

}  // namespace compactor
