#include "compiler/timetable.h"

#include <gtest/gtest.h>

#include "compiler/train_features.h"

namespace compactor {
namespace {

// A 10 km line at 90 km/h (25 m/s): 400 s from end to end, unless changed.
TrackModel line_at_90() {
  TrackModel m;
  m.create_sections_and_plot(10000);
  for (TrackCell& c : m.sections) c.speed_code = 18;
  return m;
}

TEST(Timetable, LegsAgainstTheFastestRun) {
  struct Case {
    const char* what;
    int64_t given;
    bool slow_down;   // 30 km/h from 2000 to 3000 m: 120 s instead of 40
    bool speed_zero;  // speed 0 from 5000 to 6000 m
    LegVerdict verdict;
    int64_t least;
  };
  const Case cases[] = {
      {"feasible", 500, false, false, LegVerdict::ok, 400},
      {"exactly the bound", 400, false, false, LegVerdict::ok, 400},
      {"tight by one second", 399, false, false, LegVerdict::too_tight, 400},
      {"infeasible", 240, false, false, LegVerdict::too_tight, 400},
      {"times backwards", -60, false, false, LegVerdict::backwards, 400},
      {"slow-down inside, kept", 480, true, false, LegVerdict::ok, 480},
      {"slow-down inside, one second short", 479, true, false, LegVerdict::too_tight, 480},
      {"speed limit of 0", 100000, false, true, LegVerdict::blocked, 0},
  };
  for (const Case& c : cases) {
    TrackModel m = line_at_90();
    if (c.slow_down) {
      int32_t v = 30, l = 1000, f_tt = 1, d_v = 0;
      memo_rallentamento(m, 2000, v, l, f_tt, 1, d_v);
      ASSERT_EQ(m.error_code, 0) << c.what;
    }
    if (c.speed_zero)
      for (int i = 100; i < 120; ++i) m.sections[static_cast<size_t>(i)].speed_code = 0;
    const std::vector<TimetableStop> stops{{0, 66060}, {4000, 0}, {10000, 66060 + c.given}};
    const std::vector<TimetableLeg> legs = timetable_legs(allowed_speeds(m), stops);
    ASSERT_EQ(legs.size(), 1u) << c.what;  // the station without a time is skipped
    EXPECT_EQ(legs[0].from, 0u);
    EXPECT_EQ(legs[0].to, 2u);
    EXPECT_EQ(legs[0].verdict, c.verdict) << c.what;
    EXPECT_EQ(legs[0].least, c.least) << c.what;
    if (c.speed_zero) {
      EXPECT_EQ(legs[0].bound.stopped_from, 5000);
      EXPECT_EQ(legs[0].bound.stopped_to, 6000);
      EXPECT_TRUE(fastest_run_points(allowed_speeds(m), 0, 10000).empty());
    }
  }
}

TEST(Timetable, RunPointsFollowTheSpeedChangesAndPassingMidnightIsNotBackwards) {
  TrackModel m = line_at_90();
  int32_t v = 30, l = 1000, f_tt = 1, d_v = 0;
  memo_rallentamento(m, 2000, v, l, f_tt, 0, d_v);
  const std::vector<RunPoint> points = fastest_run_points(allowed_speeds(m), 1000, 4000);
  ASSERT_EQ(points.size(), 4u);
  EXPECT_EQ(points[1].metre, 2000);
  EXPECT_DOUBLE_EQ(points[1].seconds, 40);
  EXPECT_EQ(points[2].metre, 3000);
  EXPECT_DOUBLE_EQ(points[2].seconds, 160);
  EXPECT_DOUBLE_EQ(points[3].seconds, 200);

  const std::vector<TimetableStop> stops{{0, 23 * 3600 + 55 * 60}, {10000, 5 * 60}};
  const auto legs = timetable_legs(allowed_speeds(line_at_90()), stops);
  EXPECT_EQ(legs.at(0).given, 600);
  EXPECT_EQ(legs.at(0).verdict, LegVerdict::ok);
  EXPECT_EQ(duration_text(337), "5 min 37 s");
  EXPECT_EQ(duration_text(3720), "1 h 2 min");
  EXPECT_EQ(duration_text(-45), "-45 s");
}

}  // namespace
}  // namespace compactor
