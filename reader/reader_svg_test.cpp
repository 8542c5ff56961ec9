#include "reader/reader_svg.h"

#include <gtest/gtest.h>

#include <regex>

#include "reader/reader_test_support.h"
#include "reader/reader_view.h"

namespace compactor::inspect {
namespace {

size_t count(const std::string& text, const std::string& what) {
  size_t n = 0;
  for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) ++n;
  return n;
}

TEST(InspectSvg, PlanAndProfileShowTheScenario) {
  const std::string svg = scenario_svg(testing::small_scenario());
  EXPECT_EQ(svg.rfind("<?xml", 0), 0u);
  EXPECT_NE(svg.find("Route plan"), std::string::npos);
  EXPECT_NE(svg.find("Line profile"), std::string::npos);
  EXPECT_NE(svg.find(">ALFA<"), std::string::npos);           // on the plan
  EXPECT_NE(svg.find(">ALFA 18:21:00<"), std::string::npos);  // on the profile
  EXPECT_NE(svg.find(">BETA<"), std::string::npos);
  EXPECT_NE(svg.find("distance from the start of the line (km)"), std::string::npos);
  EXPECT_NE(svg.find(">x (km)<"), std::string::npos);
  EXPECT_EQ(count(svg, "<svg"), 1u);
  EXPECT_EQ(count(svg, "</svg>"), 1u);
  EXPECT_EQ(svg.find("nan"), std::string::npos);
  EXPECT_EQ(svg.find("inf"), std::string::npos);
}

TEST(InspectSvg, WithoutThePlotOnlyTheProfileIsDrawn) {
  const std::string svg = scenario_svg(testing::small_scenario(false));
  EXPECT_EQ(svg.find("Route plan"), std::string::npos);
  EXPECT_NE(svg.find("No route plot read"), std::string::npos);
  EXPECT_NE(svg.find("Line profile"), std::string::npos);
}

TEST(InspectSvg, TextsAreEscaped) {
  TrackModel m = testing::small_scenario();
  m.slots[1].text = "A&B <\"C\">";
  const std::string svg = scenario_svg(m);
  EXPECT_NE(svg.find("A&amp;B &lt;&quot;C&quot;&gt;"), std::string::npos);
  EXPECT_EQ(svg.find("A&B"), std::string::npos);
}

// Coordinates stay on the page even for a line that is one straight stretch or
// holds no points at all.
TEST(InspectSvg, DegenerateLinesStayOnThePage) {
  TrackModel straight = testing::small_scenario();
  std::vector<PlotValue> v = straight.route_plot.values();
  const size_t n = static_cast<size_t>(straight.route_plot.points());
  for (int32_t k = 2; k <= straight.plot_limit - 2; ++k) {
    v[static_cast<size_t>(k)] = 0.0;
    v[n + static_cast<size_t>(k)] = static_cast<double>(k);
  }
  straight.route_plot = RoutePlot::from_values(std::move(v));
  TrackModel empty = testing::small_scenario();
  empty.route_plot = RoutePlot::from_values(std::vector<PlotValue>(2 * n));
  for (const TrackModel* m : {&straight, &empty}) {
    const std::string svg = scenario_svg(*m);
    const std::regex number("-?[0-9]+\\.[0-9]+");  // every coordinate is written with one decimal
    for (auto it = std::sregex_iterator(svg.begin(), svg.end(), number); it != std::sregex_iterator(); ++it) {
      const double v = std::stod(it->str());
      EXPECT_GT(v, -1.0);
      EXPECT_LT(v, 3000.0);
    }
  }
  EXPECT_NE(scenario_svg(empty).find("holds no points"), std::string::npos);
}

// Every feature can be hovered for its section, position and fields; a long name at the
// end of the line stays on the page; the time-distance diagram and the chainage are drawn.
TEST(InspectSvg, FeaturesHaveTitlesAndLabelsStayOnThePage) {
  TrackModel m = testing::small_scenario();
  m.slots[2].text = "VALDIFIORI SUPERIORE DI SOPRA DEL MONTE";
  m.slots[2].value4 = 66060 + 600;
  const std::string svg = scenario_svg(m);
  size_t features = stations(m).size();
  for (const TrackCell& c : m.sections)
    features += c.kind != kKindNone && c.kind != kKindTunnelMarker && c.kind != kKindSlowApproach &&
                c.kind != kKindStationEnd;
  EXPECT_GE(count(svg, "<title>"), features);
  EXPECT_NE(svg.find("<title>signal: section 7, at 300 m, chainage km 50+850; sx 1"), std::string::npos);
  const std::regex label("<text x=\"([0-9.]+)\"[^>]*text-anchor=\"start\"[^>]*>(VALDIFIORI[^<]*)<");
  size_t labels = 0;
  for (auto it = std::sregex_iterator(svg.begin(), svg.end(), label); it != std::sregex_iterator(); ++it, ++labels)
    EXPECT_LE(std::stod((*it)[1].str()) + 6.0 * static_cast<double>((*it)[2].length()), 1000.0) << (*it)[0];
  EXPECT_GE(labels, 1u);
  EXPECT_NE(svg.find(">50+550<"), std::string::npos);
  EXPECT_NE(svg.find("the timetable and the fastest possible run"), std::string::npos);
}

// A page reads what a feature is from its attributes: its record's keyword and ordinal
// (signals counted along the line, sign boards by their slots from 80 down, a slow-down's
// end by its start, stations by slot), its place and its fields.
TEST(InspectSvg, FeaturesCarryTheirRecords) {
  TrackModel m = testing::small_scenario();
  m.sections[5].kind = kKindSignal;  // a second signal before the first: now the first
  const std::string svg = scenario_svg(m);
  for (const char* attributes : {
           "data-kind=\"signal\" data-record=\"train segnale\" data-ordinal=\"1\" data-section=\"5\"",
           "data-kind=\"signal\" data-record=\"train segnale\" data-ordinal=\"2\" data-section=\"7\" "
           "data-position=\"300\" data-chainage=\"km 50+850\" data-fields=\"sx 1, s1 5, s2 6, s3 0, rapp 0, dx 0,",
           "data-kind=\"sign board\" data-record=\"line cartello_indicatore\" data-ordinal=\"2\" data-section=\"12\"",
           "data-kind=\"slow-down end\" data-record=\"train rallentamento\" data-ordinal=\"1\" data-section=\"15\" "
           "data-position=\"700\"",
           "data-kind=\"station\" data-record=\"train stazione\" data-ordinal=\"2\" data-position=\"700\"",
           "data-kind=\"line speed\" data-record=\"train velocita\" data-section=\"16\" data-position=\"800\"",
       }) {
    EXPECT_NE(svg.find(attributes), std::string::npos) << attributes;
  }
  EXPECT_NE(svg.find("data-record=\"train rallentamento\" data-ordinal=\"1\" data-section=\"15\" data-position=\"700\""
                     " data-chainage=\"km 51+250\" data-fields=\"end of the slow-down from 600 m, v 30, f_tt 1\" "
                     "data-record-position=\"600\""),
            std::string::npos);
}

}  // namespace
}  // namespace compactor::inspect
