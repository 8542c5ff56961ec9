#include "tools/scenario_reader/reader_view.h"

#include <gtest/gtest.h>

#include "tools/scenario_reader/reader_test_support.h"

namespace compactor::inspect {
namespace {

TEST(InspectView, PointFeaturesStandWhereTheirRecordPutThem) {
  EXPECT_EQ(feature_position(94, kKindSignal), 4650);  // "segnale, 4650" lands in section 94
  EXPECT_EQ(feature_position(9, kKindSignBoard), 400);
  EXPECT_EQ(feature_position(17, kKindSpeedBoard), 800);
  EXPECT_EQ(feature_position(101, kKindSlowStart), 5000);
  EXPECT_EQ(feature_position(4, kKindStationEnd), 200);  // stretch-like marks: the section's start
  EXPECT_EQ(feature_position(100, kKindBareAbbattimento), 5000);
}

TEST(InspectView, StationsAreTheSlotsBelowTheSignTexts) {
  const TrackModel m = testing::small_scenario();
  EXPECT_EQ(first_sign_slot(m), 79);
  const auto st = stations(m);
  ASSERT_EQ(st.size(), 2u);
  EXPECT_EQ(st[0].name, "ALFA");
  EXPECT_EQ(st[0].from, -250);
  EXPECT_EQ(st[0].to, 250);
  EXPECT_EQ(st[0].time, 66060);
  EXPECT_EQ(st[1].name, "BETA");
  EXPECT_EQ(st[1].position, 700);
  const auto signs = sign_boards(m);
  ASSERT_EQ(signs.size(), 2u);
  EXPECT_EQ(signs[0].position, 400);
  EXPECT_EQ(signs[0].text, "(CAVALCAVIA)");
  EXPECT_EQ(signs[1].text, "(N\xC2\xB0 47)");  // UTF-8 for the byte B0
}

TEST(InspectView, WithoutSignBoardsEverySlotBelow81IsAStation) {
  TrackModel m = testing::small_scenario();
  for (auto& c : m.sections)
    if (c.kind == kKindSignBoard) c.kind = 0;
  EXPECT_EQ(first_sign_slot(m), 81);
  EXPECT_EQ(stations(m).size(), 4u);  // the two texts now count as stations
}

TEST(InspectView, PackedSignalValuesAreTakenApart) {
  struct Case {
    int16_t d1, d2, d3, d4;
    SignalView want;
  };
  const Case cases[] = {
      {50, 60, 0, 3, {1, 5, 6, 0, 0, 0, 0, 0, 0}},   // 4650: sx 1, 5 6 0
      {20, 40, 0, 16, {2, 2, 4, 0, 1, 0, 0, 0, 0}},  // 21500: rapp 1
      {22, 31, 11, 8, {2, 2, 3, 1, 0, 2, 2, 1, 1}},  // 24350: both sides
  };
  for (const Case& c : cases) {
    TrackCell cell;
    cell.data1 = c.d1, cell.data2 = c.d2, cell.data3 = c.d3, cell.data4 = c.d4;
    const SignalView s = unpack_signal(cell);
    EXPECT_EQ((std::array{s.sx, s.s1, s.s2, s.s3, s.rapp, s.dx, s.d1, s.d2, s.d3}),
              (std::array{c.want.sx, c.want.s1, c.want.s2, c.want.s3, c.want.rapp, c.want.dx, c.want.d1,
                          c.want.d2, c.want.d3}))
        << c.d4;
  }
}

TEST(InspectView, SpeedBoardAndTexts) {
  EXPECT_EQ(unpack_board_speed(1313).left, 65);
  EXPECT_EQ(unpack_board_speed(1313).right, 65);
  EXPECT_EQ(unpack_board_speed(2500).left, 125);
  EXPECT_EQ(unpack_board_speed(2500).right, 0);
  EXPECT_EQ(clock_text(66060), "18:21:00");
  EXPECT_EQ(clock_text(0), "00:00:00");
  EXPECT_EQ(chainage_text(50550), "km 50+550");
  EXPECT_EQ(chainage_text(-1200), "km -1+200");
}

TEST(InspectView, NotesTellWhatASectionHolds) {
  const TrackModel m = testing::small_scenario();
  EXPECT_EQ(feature_note(m, 7), "at 300 m: sx 1: 5,6,0  dx 0: 0,0,0  rapp 0");
  EXPECT_EQ(feature_note(m, 3), "at 100 m: A 125/- B 135/- C 135/-, stripes 0/0");
  EXPECT_EQ(feature_note(m, 4), "end of ALFA (slot 1)");
  EXPECT_EQ(feature_note(m, 13), "at 600 m: v 30, f_tt 1");
  EXPECT_EQ(feature_note(m, 9), "at 400 m: slot 80: (CAVALCAVIA)");
  EXPECT_EQ(feature_note(m, 1).rfind("marker 5121, plain code ", 0), 0u);
  EXPECT_EQ(feature_note(m, 30), "");
}

}  // namespace
}  // namespace compactor::inspect
