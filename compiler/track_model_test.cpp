#include "compiler/track_model.h"

#include <gtest/gtest.h>

#include "sources/conversion.h"

namespace compactor {
namespace {

TEST(TrackModel, CellLimitRoundsHalvesToEven) {
  struct Case {
    int32_t length;
    int32_t cell_limit;
  };
  const Case cases[] = {{0, 140}, {25, 140}, {75, 142}, {34000, 820}, {1000000, 20140}};
  for (const auto& c : cases) {
    EXPECT_EQ(cell_limit_for(c.length), c.cell_limit) << c.length;
    TrackModel m;
    m.plot_wanted = 1;
    m.create_sections_and_plot(c.length);
    EXPECT_EQ(m.cell_limit, c.cell_limit);
    EXPECT_EQ(m.plot_limit, c.length + 7000);
    EXPECT_EQ(m.section_count(), c.cell_limit + 1);
    EXPECT_EQ(m.route_plot.points(), c.length + 7001);
  }
}

TEST(TrackModel, PlotIsNotCreatedWhenNotWanted) {
  TrackModel m;
  m.plot_wanted = 0;
  m.create_sections_and_plot(34000);
  EXPECT_TRUE(m.sections_created);
  EXPECT_FALSE(m.plot_created);
  EXPECT_EQ(m.route_plot.points(), 0);
}

TEST(TrackModel, SecondCreationStartsEmpty) {
  TrackModel m;
  m.plot_wanted = 1;
  m.create_sections_and_plot(1000);
  m.section(3).kind = 14;
  m.route_plot.set_origin();
  m.route_plot.extend_straight(6);
  m.create_sections_and_plot(1000);
  EXPECT_EQ(m.section(3), TrackCell{});
  EXPECT_TRUE(std::holds_alternative<std::monostate>(m.plot(5, 1)));
}

TEST(TrackModel, PointSection) {
  EXPECT_EQ(point_section(0), 1);
  EXPECT_EQ(point_section(400), 9);
  EXPECT_EQ(point_section(4650), 94);
  EXPECT_EQ(point_section(25), 2);  // 1.5 -> 2
  EXPECT_EQ(point_section(75), 2);  // 2.5 -> 2
}

TEST(TrackModel, RangeCheckAtItsEdge) {
  TrackModel m;
  m.create_sections_and_plot(34000);
  EXPECT_TRUE(range_check(m, 40900));
  EXPECT_FALSE(range_check(m, 40901));
  EXPECT_TRUE(range_check(m, 40200, 800));
  EXPECT_FALSE(range_check(m, 40201, 800));
  EXPECT_TRUE(range_check(m, -5000));
}

TEST(TrackModel, FreeTest) {
  for (int kind = 0; kind <= 255; ++kind) {
    TrackCell c;
    c.kind = static_cast<uint8_t>(kind);
    EXPECT_EQ(is_free(c), kind == 0 || kind == 11) << kind;
  }
}

TEST(TrackModel, ClearedSlotsHaveEmptyTexts) {
  TrackModel m;
  m.slots[5].text = "X";
  m.slots[5].value4 = 9;
  m.clear_slots();
  for (const auto& s : m.slots) EXPECT_EQ(s, SlotRecord{});
}

TEST(TrackModel, IndexesOutsideTheTablesAreRefused) {
  TrackModel m;
  m.plot_wanted = 1;
  m.create_sections_and_plot(0);
  EXPECT_NO_THROW(m.section(140));
  EXPECT_THROW(m.section(141), IndexFault);
  EXPECT_THROW(m.section(-1), IndexFault);
  EXPECT_THROW(m.slot(87), IndexFault);
  EXPECT_THROW(m.slot(-1), IndexFault);
  EXPECT_THROW(m.plot(7001, 0), IndexFault);
  EXPECT_THROW(m.plot(0, 2), IndexFault);
  TrackModel empty;
  EXPECT_THROW(empty.section(0), IndexFault);
}

}  // namespace
}  // namespace compactor
