#include "reader/reader_view.h"

#include <gtest/gtest.h>

#include "reader/reader_test_support.h"

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

TEST(InspectView, ASignTextWithoutItsBoardIsNotTakenForAStation) {
  TrackModel m = testing::small_scenario();
  for (auto& c : m.sections)
    if (c.kind == kKindSignBoard) c.kind = 0;
  EXPECT_EQ(first_sign_slot(m), 81);
  ASSERT_EQ(stations(m).size(), 2u);  // slots 79 and 80 hold a text and nothing else
  EXPECT_TRUE(is_text_only_slot(m.slots[80]));
  EXPECT_FALSE(is_text_only_slot(m.slots[1]));
  EXPECT_FALSE(is_text_only_slot(m.slots[30]));  // an empty slot
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

TEST(InspectView, NotesNameTheFieldsOfTheRecords) {
  const TrackModel m = testing::small_scenario();
  EXPECT_EQ(feature_note(m, 7), "at 300 m: sx 1, s1 5, s2 6, s3 0, rapp 0, dx 0, d1 0, d2 0, d3 0");
  EXPECT_EQ(feature_note(m, 3), "at 100 m: left vas 125, vbs 135, vcs 135, strisces 0; right none");
  TrackModel both = m;  // "indicatori_vmax, 1450, 80, 90, 90, 1, 70, 80, 80, 1"
  both.sections[30] = TrackCell{kKindSpeedBoard, 1614, 1816, 1816, 11, 0, 0, 0, 0, 0, 0};
  EXPECT_EQ(feature_note(both, 30),
            "at 1450 m: left vas 80, vbs 90, vcs 90, strisces 1; right vad 70, vbd 80, vcd 80, strisced 1");
  EXPECT_EQ(feature_note(m, 4), "end of ALFA (slot 1)");
  EXPECT_EQ(feature_note(m, 13), "at 600 m: v 30, l 100, f_tt 1");
  EXPECT_EQ(feature_note(m, 15), "at 700 m: end of the slow-down from 600 m, v 30, f_tt 1");
  EXPECT_EQ(feature_note(m, 9), "at 400 m: slot 80: (CAVALCAVIA)");
  EXPECT_EQ(feature_note(m, 1).rfind("marker 5121, plain code ", 0), 0u);
  EXPECT_EQ(feature_note(m, 30), "");
}

TEST(InspectView, SlowDownNotesTellBoardsMarksAndTheSecondSpeed) {
  // "rallentamento, 5000, 30, 500, 1, 1, 90": board at 3800 m (section 77), marks in 76 to 73,
  // start in 101, end in 111.
  TrackModel m = testing::small_scenario();
  m.sections.resize(200);
  auto place = [&](int i, uint8_t kind, int16_t d1, int16_t d2, int16_t d3) {
    m.sections[static_cast<size_t>(i)].kind = kind;
    m.sections[static_cast<size_t>(i)].data1 = d1;
    m.sections[static_cast<size_t>(i)].data2 = d2;
    m.sections[static_cast<size_t>(i)].data3 = d3;
  };
  place(77, kKindSlowWarning, 30, 90, 0);
  for (int j = 0; j < 4; ++j) place(76 - j, kKindSlowApproach, static_cast<int16_t>(j + 1), 0, 0);
  place(101, kKindSlowStart, 30, 90, 1);
  place(111, kKindSlowEnd, 30, 90, 1);
  EXPECT_EQ(feature_note(m, 101), "at 5000 m: v 30, l 500, f_tt 1, f_ta 1, d_v 90");
  EXPECT_EQ(feature_note(m, 111), "at 5500 m: end of the slow-down from 5000 m, v 30, d_v 90, f_tt 1");
  EXPECT_EQ(feature_note(m, 77), "at 3800 m: warning board of the slow-down at 5000 m, v 30, d_v 90");
  EXPECT_EQ(feature_note(m, 76), "approach mark 1 before a slow-down warning board");
  m.sections[76].kind = kKindNone;  // written with f_ta 0
  EXPECT_EQ(feature_note(m, 101), "at 5000 m: v 30, l 500, f_tt 1, f_ta 0, d_v 90");
}

TEST(InspectView, SignalNotesGiveTempoForAnSxTwoSignal) {
  TrackCell c;
  c.kind = kKindSignal;
  c.data1 = 22, c.data2 = 31, c.data3 = 11, c.data4 = 8,
  c.signal_time = 120;  // "segnale, 24350, 2, 2, 3, 1, 0, 2, 2,1,1, 120"
  TrackModel m = testing::small_scenario();
  m.sections[30] = c;
  EXPECT_EQ(feature_note(m, 30),
            "at 1450 m: sx 2, s1 2, s2 3, s3 1, rapp 0, dx 2, d1 2, d2 1, d3 1, tempo 120");
}

}  // namespace
}  // namespace compactor::inspect
