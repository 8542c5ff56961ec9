#include "compiler/realistic_run.h"

#include <gtest/gtest.h>

#include <cmath>
#include <vector>

namespace compactor {
namespace {

// The realistic run on one constant limit v, from rest to rest, against the closed form:
// t = d/v + v/2a + v/2b when the run reaches v (d at least v²/2a + v²/2b); otherwise it peaks
// at u = sqrt(2d ab / (a + b)) and takes u/a + u/b.
TEST(RealisticRun, ConstantLimitAgainstTheClosedForm) {
  struct Case {
    int32_t kmh;
    int32_t from, to;
    RunRates rates;
  };
  const Case cases[] = {
      {90, 0, 10000, {0.3, 0.5}},      // 400 + 41.67 + 25 = 466.67 s
      {135, 1000, 4000, {0.5, 0.488}},  // 80 + 37.5 + 38.42 = 155.92 s (2847 m of the 3000 to reach 135)
      {135, 1030, 3970, {0.3, 0.488}},  // off the 50 m grid; 3785 m would be needed: it peaks below 135
      {90, 0, 500, {0.3, 0.5}},         // peaks at 13.69 m/s: 45.64 + 27.39 = 73.03 s
  };
  for (const Case& c : cases) {
    const std::vector<int32_t> speeds(300, c.kmh);
    const double v = c.kmh / 3.6, a = c.rates.acceleration, b = c.rates.braking, d = c.to - c.from;
    double expected = d / v + v / (2 * a) + v / (2 * b);
    if (d < v * v / (2 * a) + v * v / (2 * b)) {
      const double u = std::sqrt(2 * d * a * b / (a + b));
      expected = u / a + u / b;
    }
    const RealisticRun run = realistic_run(speeds, c.from, c.to, c.rates);
    EXPECT_NEAR(run.seconds, expected, 1e-9) << c.kmh << " km/h over " << d << " m";
    ASSERT_FALSE(run.blocked());
    EXPECT_EQ(run.points.front().metre, c.from);
    EXPECT_EQ(run.points.back().metre, c.to);
    EXPECT_DOUBLE_EQ(run.points.back().seconds, run.seconds);
    EXPECT_GE(run.seconds, fastest_run(speeds, c.from, c.to).seconds);
  }
}

// Never faster than the speeds in force; blocked where one is 0; nothing to run on the spot.
TEST(RealisticRun, SlowStretchesStopsAndEdges) {
  std::vector<int32_t> speeds(200, 90);
  for (size_t i = 40; i < 60; ++i) speeds[i] = 30;  // 2000 to 3000 m at 30 km/h
  const RunRates rates{0.3, 0.5};
  const RealisticRun run = realistic_run(speeds, 0, 6000, rates);
  for (size_t k = 1; k < run.points.size(); ++k) {
    const RunPoint& p = run.points[k - 1];
    const RunPoint& q = run.points[k];
    const double kmh = (q.metre - p.metre) / (q.seconds - p.seconds) * 3.6;
    EXPECT_LE(kmh, (q.metre <= 3000 && p.metre >= 2000 ? 30 : 90) + 1e-6) << p.metre << " to " << q.metre;
  }
  speeds[100] = 0;
  EXPECT_TRUE(realistic_run(speeds, 0, 6000, rates).blocked());
  EXPECT_TRUE(std::isinf(realistic_run(speeds, 0, 6000, rates).seconds));
  EXPECT_EQ(realistic_run(speeds, 1000, 1000, rates).seconds, 0.0);
  EXPECT_TRUE(realistic_run(speeds, 0, 1000, RunRates{0.3, 0}).blocked());  // no braking: no run
}

}  // namespace
}  // namespace compactor
