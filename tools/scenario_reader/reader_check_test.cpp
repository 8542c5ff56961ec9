#include "tools/scenario_reader/reader_check.h"

#include <gtest/gtest.h>

#include <functional>

#include "tools/scenario_reader/reader_test_support.h"

namespace compactor::inspect {
namespace {

std::string failures(const std::vector<CheckItem>& items) {
  std::string s;
  for (const auto& i : items)
    if (!i.ok) s += i.text + "\n";
  return s;
}

TEST(InspectCheck, AFinishedScenarioPasses) {
  for (bool with_plot : {true, false}) {
    const auto items = check_scenario(testing::small_scenario(with_plot));
    EXPECT_TRUE(all_ok(items)) << failures(items);
    EXPECT_EQ(items.size(), with_plot ? 7u : 6u);
  }
}

TEST(InspectCheck, EachFaultIsFoundAndNamed) {
  struct Case {
    const char* what;
    std::function<void(TrackModel&)> damage;
    const char* message;
  };
  const Case cases[] = {
      {"one section too few", [](TrackModel& m) { m.sections.pop_back(); },
       "the number of sections is 160, expected 161 for a line of 1000 m"},
      {"a different length", [](TrackModel& m) { m.slots[84].value2 = 1100; }, "expected 163"},
      {"a plot point too many", [](TrackModel& m) {
         std::vector<PlotValue> v = m.route_plot.values();
         v.insert(v.begin(), 2, 0.0);
         m.route_plot = RoutePlot::from_values(std::move(v));
       },
       "the number of route plot points is 8002, expected 8001"},
      {"slot marker", [](TrackModel& m) { m.slots[85].short1 = 611; },
       "the marker in slot 85 short1 is 611, expected 610"},
      {"section marker", [](TrackModel& m) { m.sections[1].data1 = 0; },
       "the marker in section 1 data1 is 0, expected 5121"},
      {"weighted code", [](TrackModel& m) { m.slots[85].value4 += 1; }, "the weighted scenario code"},
      {"plain code after a renamed train", [](TrackModel& m) { m.slots[86].text = "2"; }, "scenario code"},
      {"a sign board without its text", [](TrackModel& m) { m.slots[80].text.clear(); },
       "section 9 (sign board) refers to slot 80, which holds no text"},
      {"a station end out of range", [](TrackModel& m) { m.sections[4].data1 = 81; },
       "section 4 (station end) refers to slot 81"},
  };
  for (const Case& c : cases) {
    TrackModel m = testing::small_scenario();
    c.damage(m);
    const auto items = check_scenario(m);
    const std::string found = failures(items);
    EXPECT_FALSE(all_ok(items)) << c.what;
    EXPECT_NE(found.find(c.message), std::string::npos) << c.what << ":\n" << found;
  }
}

TEST(InspectCheck, SectionCountFollowsTheRoundingOfTheCompiler) {
  TrackModel m = testing::small_scenario(false);
  m.slots[84].value2 = 1025;  // 8025 / 50 = 160.5 goes to the even 160: still 161 sections
  EXPECT_TRUE(all_ok(check_scenario(m))) << failures(check_scenario(m));
  m.slots[84].value2 = 1075;  // 161.5 goes to 162
  EXPECT_FALSE(all_ok(check_scenario(m)));
}

TEST(InspectCheck, TooFewSectionsForTheMarkersIsAFailureNotACrash) {
  TrackModel m = testing::small_scenario(false);
  m.sections.resize(1);
  const auto items = check_scenario(m);
  EXPECT_FALSE(all_ok(items));
  EXPECT_NE(failures(items).find("no section 1"), std::string::npos);
}

}  // namespace
}  // namespace compactor::inspect
