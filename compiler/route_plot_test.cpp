#include "compiler/route_plot.h"

#include <gtest/gtest.h>

#include <vector>

#include "sources/bit_copy.h"

namespace compactor {
namespace {

// The recurrence written out on whole arrays, as the line compiler once did it.
struct Reference {
  std::vector<double> x{0.0, 0.0}, y{0.0, 1.0};
  void straight(int64_t end) {
    for (size_t c = x.size(); c < static_cast<size_t>(end); ++c) {
      x.push_back(x[c - 1] + (x[c - 1] - x[c - 2]));
      y.push_back(y[c - 1] + (y[c - 1] - y[c - 2]));
    }
  }
  void curved(int64_t end, double k) {
    for (size_t c = x.size(); c < static_cast<size_t>(end); ++c) {
      const double dx = x[c - 1] - x[c - 2];
      const double dy = y[c - 1] - y[c - 2];
      x.push_back(x[c - 1] + (dx + k * dy));
      y.push_back(y[c - 1] + (dy - k * dx));
    }
  }
};

uint64_t bits(const PlotValue& v) { return bit_copy<uint64_t>(std::get<double>(v)); }

TEST(RoutePlot, EveryMetreReadsAsTheRecurrenceComputedIt) {
  RoutePlot p(400);
  Reference r;
  p.set_origin();
  const struct {
    int64_t end;
    double curvature;  // 0: straight
  } steps[] = {{10, 0.0}, {60, -0.0002}, {61, 0.003}, {200, 0.003}, {250, 0.0}, {398, 0.001}};
  for (const auto& s : steps) {
    if (s.curvature == 0.0) {
      p.extend_straight(s.end);
      r.straight(s.end);
    } else {
      p.extend_curved(s.end, s.curvature);
      r.curved(s.end, s.curvature);
    }
  }
  EXPECT_EQ(p.next(), 398);
  EXPECT_EQ(p.at(0, 0), PlotValue{int16_t{0}});
  EXPECT_EQ(p.at(1, 1), PlotValue{int16_t{1}});
  const std::vector<PlotValue> all = p.values();
  for (int64_t m = 2; m < 398; ++m) {
    const size_t k = static_cast<size_t>(m);
    EXPECT_EQ(bits(p.at(m, 0)), bit_copy<uint64_t>(r.x[k])) << m;
    EXPECT_EQ(bits(p.at(m, 1)), bit_copy<uint64_t>(r.y[k])) << m;
    EXPECT_EQ(bits(all[k]), bit_copy<uint64_t>(r.x[k])) << m;
    EXPECT_EQ(bits(all[400 + k]), bit_copy<uint64_t>(r.y[k])) << m;
  }
  EXPECT_TRUE(std::holds_alternative<std::monostate>(p.at(398, 0)));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(p.at(399, 1)));
  // Two runs of one curvature are one run: straight, -0.0002, 0.003, straight, 0.001.
  EXPECT_EQ(p.runs().size(), 5u);
}

// Runs shorter and longer than the stride, one ending on a mark: every metre read through
// the marks reads as the walk over the whole plot gives it, bit for bit, and the points that
// are not computed (the origin, the empty end, outside the plot) as well.
TEST(RoutePlot, EveryMetreReadThroughTheMarksIsTheWalks) {
  constexpr int32_t kStride = RoutePlot::kMarkStride;
  RoutePlot p(5 * kStride);
  p.set_origin();
  p.extend_straight(2 + 3 * kStride + 7);
  p.extend_curved(2 + 4 * kStride + 7, 0.0007);
  p.extend_curved(2 + 4 * kStride + 20, -0.002);
  p.extend_straight(5 * kStride - 10);
  const std::vector<PlotValue> walked = p.values();
  for (int64_t m = 0; m < 5 * kStride; ++m)
    for (int axis : {0, 1}) {
      const PlotValue a = walked[static_cast<size_t>(m + axis * 5 * kStride)], b = p.at(m, axis);
      ASSERT_EQ(a.index(), b.index()) << m;
      if (std::holds_alternative<double>(a)) ASSERT_EQ(bits(a), bits(b)) << m;
      else ASSERT_EQ(a, b) << m;
    }
  EXPECT_THROW(p.at(5 * kStride, 0), IndexFault);
  EXPECT_THROW(p.at(-1, 1), IndexFault);
}

TEST(RoutePlot, ARunEndingBehindTheIndexComputesNothing) {
  RoutePlot p(100);
  p.set_origin();
  p.extend_curved(50, 0.001);
  p.extend_straight(20);
  p.extend_curved(50, 0.002);
  EXPECT_EQ(p.next(), 50);
  EXPECT_EQ(p.runs().size(), 1u);
}

TEST(RoutePlot, PassingTheEndComputesWhatFitsThenFaults) {
  RoutePlot p(10);
  p.set_origin();
  EXPECT_THROW(p.extend_curved(12, 0.001), IndexFault);
  EXPECT_EQ(p.next(), 10);
  EXPECT_TRUE(std::holds_alternative<double>(p.at(9, 0)));
}

TEST(RoutePlot, APlotOfOnePointGetsItsFirstPointThenFaults) {
  RoutePlot p(1);
  EXPECT_THROW(p.set_origin(), IndexFault);
  EXPECT_EQ(p.origin_points(), 1);
  EXPECT_EQ(p.at(0, 0), PlotValue{int16_t{0}});
  EXPECT_EQ(p.at(0, 1), PlotValue{int16_t{0}});
  EXPECT_THROW(p.extend_straight(2), IndexFault);
}

TEST(RoutePlot, IndexesOutsideThePlotAreRefused) {
  RoutePlot p(5);
  EXPECT_THROW(p.extend_straight(3), IndexFault);  // before the origin
  p.set_origin();
  EXPECT_TRUE(std::holds_alternative<std::monostate>(p.at(4, 1)));
  for (const auto& [metre, axis] : {std::pair{-1, 0}, {5, 0}, {0, 2}, {0, -1}})
    EXPECT_THROW(p.at(metre, axis), IndexFault) << metre << "," << axis;
}

TEST(RoutePlot, APlotReadBackKeepsItsValues) {
  const std::vector<PlotValue> v{int16_t{3}, 2.5, std::monostate{}, -1.0};
  const RoutePlot p = RoutePlot::from_values(v);
  EXPECT_TRUE(p.from_file());
  EXPECT_EQ(p.points(), 2);
  EXPECT_EQ(p.at(1, 0), PlotValue{2.5});
  EXPECT_EQ(p.at(0, 1), PlotValue{std::monostate{}});
  EXPECT_EQ(p.values(), v);
  EXPECT_THROW(RoutePlot::from_values({1.0}), std::invalid_argument);
}

}  // namespace
}  // namespace compactor
