#include "reader/reader_tables.h"

#include <gtest/gtest.h>

#include <regex>
#include <sstream>

#include "reader/reader_test_support.h"

namespace compactor::inspect {
namespace {

std::string slots_text(const TrackModel& m) {
  std::ostringstream out;
  write_slots_table(out, m);
  return out.str();
}

std::string sections_text(const TrackModel& m, const std::string& range) {
  std::ostringstream out;
  write_sections_table(out, m, parse_section_range(range).value());
  return out.str();
}

bool has_line(const std::string& text, const std::string& pattern) {
  return std::regex_search(text, std::regex(pattern, std::regex::multiline));
}

TEST(InspectTables, SlotTableShowsHeaderValuesByMeaning) {
  const std::string t = slots_text(testing::small_scenario());
  EXPECT_TRUE(has_line(t, "^Scenario Linea, train 1$")) << t;
  EXPECT_TRUE(has_line(t, "line length +1000 m; 161 sections, 0 to 160")) << t;
  EXPECT_TRUE(has_line(t, "route plot +8001 points")) << t;
  EXPECT_TRUE(has_line(t, "chainage +slot 81: from 0 m, km 50\\+550, flag 0")) << t;
  EXPECT_TRUE(has_line(t, "scenery +uno 0, due 0, tre 1")) << t;
  EXPECT_TRUE(has_line(t, "cab signalling +none")) << t;
  EXPECT_TRUE(has_line(t, "train +3 vehicles, braked mass 120 %")) << t;
  EXPECT_TRUE(has_line(t, "sand +300")) << t;
  EXPECT_TRUE(has_line(t, "clock +18:20:30")) << t;
  EXPECT_TRUE(has_line(t, "markers +slot 85 short1 610, section 1 data1 5121")) << t;
}

TEST(InspectTables, StationsShowExtentsAndTimes) {
  const std::string t = slots_text(testing::small_scenario());
  EXPECT_TRUE(
      has_line(t,
               "^slot  name  kind  position  from   to  time      mode  param5  short_platform  group1  "
               "group2  param13$"))
      << t;
  EXPECT_TRUE(has_line(t, "^ +1  ALFA +12 +0 +-250 +250  18:21:00 ")) << t;
  EXPECT_TRUE(has_line(t, "^ +2  BETA +12 +700 +450 +950  - ")) << t;
  EXPECT_TRUE(has_line(t, "^ +80 +9 +400  \\(CAVALCAVIA\\)$")) << t;
  EXPECT_TRUE(has_line(t, "^ +79 +12 +550  \\(N\xC2\xB0 47\\)$")) << t;
  EXPECT_EQ(t.find("Other slots"), std::string::npos) << t;
}

TEST(InspectTables, CabSignallingAndStrayFieldsAreShown) {
  TrackModel m = testing::small_scenario();
  m.slots[86].value1 = 1000;
  m.slots[86].value2 = 5000;
  m.slots[86].value3 = 9;
  m.slots[84].short2 = 5;     // no meaning in a header slot
  m.slots[40].text = "LOST";  // neither a station nor a sign text
  const std::string t = slots_text(m);
  EXPECT_TRUE(has_line(t, "cab signalling +9 codes, from 1000 m to 5000 m")) << t;
  EXPECT_TRUE(has_line(t, "^Other slots")) << t;
  EXPECT_TRUE(has_line(t, "^ +40 .* LOST ")) << t;
  EXPECT_TRUE(has_line(t, "^ +84 +0 +120 +1000 +3 +0 +0 +5 ")) << t;
}

TEST(InspectTables, SectionRowsGiveValuesInUnitsAndMeaning) {
  const TrackModel m = testing::small_scenario();
  const std::string t = sections_text(m, "7:7");
  EXPECT_EQ(std::count(t.begin(), t.end(), '\n'), 5) << t;  // title and its note, header, one row
  EXPECT_TRUE(
      has_line(t, "^ +7 +350  signal +50 +60 +0 +3 +0 +0 +0 +75 +0 +100  at 300 m: sx 1, s1 5, s2 6, s3 0, "))
      << t;
  const std::string end = sections_text(m, "158:");
  EXPECT_TRUE(has_line(end, "^ +158 +7900  - +0 +0 +0 +0 +0 +0 +0 +0 +- +0$")) << end;
  EXPECT_TRUE(has_line(end, "^ +160 ")) << end;
  EXPECT_TRUE(has_line(sections_text(m, "20:20"), " 1 +135 +4 +100$"));  // mountain 1, speed, gradient
}

TEST(InspectTables, RangesThatShowNoSectionAreNamed) {
  struct Case {
    const char* text;
    const char* problem;  // "" for none
  };
  const Case cases[] = {{"10:5", "10 is after 5"},
                        {"161:", "the scenario has sections 0 to 160"},
                        {"161", "the scenario has sections 0 to 160"},
                        {"150:900", ""},
                        {"5:5", ""},
                        {":", ""}};
  for (const Case& c : cases) {
    const auto problem = section_range_problem(parse_section_range(c.text).value(), 161);
    EXPECT_EQ(problem ? render(*problem, Language::en) : "", c.problem) << c.text;
  }
}

TEST(InspectTables, SectionRangesAreParsed) {
  struct Case {
    const char* text;
    bool valid;
    std::optional<int32_t> from, to;
  };
  const Case cases[] = {{":", true, {}, {}},     {"5:9", true, 5, 9},    {"5:", true, 5, {}},
                        {":9", true, {}, 9},     {"59", true, 59, 59},   {"a:9", false, {}, {}},
                        {"-1:9", false, {}, {}}, {"5:9x", false, {}, {}}};
  for (const Case& c : cases) {
    const auto r = parse_section_range(c.text);
    ASSERT_EQ(r.has_value(), c.valid) << c.text;
    if (!r) continue;
    EXPECT_EQ(r->from, c.from) << c.text;
    EXPECT_EQ(r->to, c.to) << c.text;
  }
}

}  // namespace
}  // namespace compactor::inspect
