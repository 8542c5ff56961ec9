#include "reader/reader_check.h"

#include <gtest/gtest.h>

#include <functional>

#include "reader/reader_test_support.h"

namespace compactor::inspect {
namespace {

std::string failures(const std::vector<CheckItem>& items) {
  std::string s;
  for (const auto& i : items)
    if (!i.ok) s += i.text + "\n";
  return s;
}

TEST(InspectCheck, AFinishedScenarioPassesAndSaysWhatItSkipped) {
  const auto with_plot = check_scenario(testing::small_scenario(true));
  EXPECT_TRUE(all_ok(with_plot)) << failures(with_plot);
  EXPECT_EQ(check_report(with_plot).find("skip"), std::string::npos);
  const std::string report = check_report(with_plot);
  EXPECT_EQ(report.substr(report.rfind('\n', report.size() - 2) + 1), "check passed\n");

  const TrackModel m = testing::small_scenario(false);
  const auto without = check_scenario(m);
  EXPECT_TRUE(all_ok(without)) << failures(without);
  EXPECT_EQ(check_report(without),
            "ok     the number of sections is 161 for a line of 1000 m (slot 84 value2)\n"
            "skip   the number of route plot points: no route plot file given (ROUTE_linea.dat)\n"
            "ok     the marker in slot 85 short1 is 610\n"
            "ok     the marker in section 1 data1 is 5121\n"
            "ok     the weighted scenario code in slot 85 value4 is " +
                std::to_string(m.slots[85].value4) +
                " for train 1 on Linea\n"
                "ok     the plain scenario code in section 1 data2 is " +
                std::to_string(m.sections[1].data2) +
                " for train 1 on Linea\n"
                "ok     2 sign boards and 2 station ends refer to slots with a text\n"
                "check passed, 1 check skipped\n");
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
      {"a sign board written over by a station end",
       [](TrackModel& m) {
         m.sections[9].kind = kKindStationEnd;
         m.sections[9].data1 = 1;
       },
       "slot 80 holds the sign text (CAVALCAVIA), which no sign board refers to (a station end may have been "
       "written over its board)"},
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
