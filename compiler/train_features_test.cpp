#include "compiler/train_features.h"

#include <gtest/gtest.h>

#include <vector>

#include "compiler/faults.h"

namespace compactor {
namespace {

TrackModel line_of(int32_t length) {
  TrackModel m;
  m.create_sections_and_plot(length);
  return m;
}

struct SignalArgs {
  int32_t posizione, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo;
};

void place_signal(TrackModel& m, SignalArgs a) {
  memo_segnale(m, a.posizione, a.sx, a.s1, a.s2, a.s3, a.rapp, a.dx, a.d1, a.d2, a.d3, a.tempo);
}

struct SlowArgs {
  int32_t x, v, l, f_tt, f_ta, d_v;
};

void place_slow_down(TrackModel& m, SlowArgs a) {
  memo_rallentamento(m, a.x, a.v, a.l, a.f_tt, a.f_ta, a.d_v);
}

TEST(MemoSegnale, PacksTheSignalAndMarksItsApproach) {
  struct Case {
    SignalArgs args;
    int32_t section;
    int16_t data1, data2, data3, data4;
    uint8_t first_mark;  // marks first_mark .. first_mark + 3 at 2, 4, 6 and 8 sections before
  };
  const Case cases[] = {
      {{4650, 1, 5, 6, 0, 0, 0, 0, 0, 0, 0}, 94, 50, 60, 0, 3, 31},
      {{21500, 2, 2, 4, 0, 1, 0, 0, 0, 0, 0}, 431, 20, 40, 0, 16, 61},
      {{24350, 2, 2, 3, 1, 0, 2, 2, 1, 1, 0}, 488, 22, 31, 11, 8, 81},
      // Out of the digit ranges: 16-bit and 8-bit stores keep their low bits.
      {{4650, 10, 4000, 0, 0, 0, 0, 0, 0, 0, 0}, 94, -25536, 0, 0, 30, 45},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args.posizione);
    TrackModel m = line_of(34000);
    place_signal(m, c.args);
    EXPECT_EQ(m.error_code, 0);
    const TrackCell& cell = m.section(c.section);
    EXPECT_EQ(cell.kind, kKindSignal);
    EXPECT_EQ(cell.data1, c.data1);
    EXPECT_EQ(cell.data2, c.data2);
    EXPECT_EQ(cell.data3, c.data3);
    EXPECT_EQ(cell.data4, c.data4);
    EXPECT_EQ(cell.signal_time, 0);
    for (int b = 1; b <= 4; ++b) EXPECT_EQ(m.section(c.section - 2 * b).approach_mark, c.first_mark + b - 1);
    EXPECT_EQ(m.section(c.section - 1).approach_mark, 0);
    EXPECT_EQ(m.section(c.section - 10).approach_mark, 0);
  }
}

TEST(MemoSegnale, TempoCountsOnlyForSx2) {
  struct Case {
    int32_t sx, tempo, tempo_after;
    uint8_t signal_time;
  };
  const Case cases[] = {
      {2, 50, 101, 101},  {2, 1, 101, 101},  {2, 100, 101, 101}, {2, 0, 0, 0},
      {2, 101, 101, 101}, {2, 300, 300, 44}, {1, 50, 101, 0},    {1, 200, 200, 0},
  };
  for (const auto& c : cases) {
    TrackModel m = line_of(34000);
    int32_t sx = c.sx, zero = 0, tempo = c.tempo;
    memo_segnale(m, 4650, sx, zero, zero, zero, zero, zero, zero, zero, zero, tempo);
    EXPECT_EQ(tempo, c.tempo_after) << c.sx << " " << c.tempo;
    EXPECT_EQ(m.section(94).signal_time, c.signal_time) << c.sx << " " << c.tempo;
  }
}

TEST(MemoSegnale, TakenSectionIsFault16AndChangesNothing) {
  TrackModel m = line_of(34000);
  m.section(94).kind = kKindStationEnd;
  m.section(94).data1 = 3;
  const auto before = m.sections;
  place_signal(m, {4650, 1, 5, 6, 0, 0, 0, 0, 0, 0, 0});
  EXPECT_EQ(m.error_code, 16);
  EXPECT_EQ(m.sections, before);
}

TEST(MemoSegnale, MarksBeforeSectionZeroAreLeftOut) {
  TrackModel m = line_of(34000);
  place_signal(m, {200, 1, 5, 6, 0, 0, 0, 0, 0, 0, 0});  // section 5: marks at 3 and 1 only
  EXPECT_EQ(m.error_code, 0);
  EXPECT_EQ(m.section(3).approach_mark, 31);
  EXPECT_EQ(m.section(1).approach_mark, 32);
  EXPECT_EQ(m.section(0).approach_mark, 0);
}

TEST(MemoRallentamento, PlacesBoardStartEndAndApproachMarks) {
  struct Case {
    int32_t d_v;
    int16_t data2;
    bool numbered_data2;
  };
  for (const Case c : {Case{0, 0, false}, Case{90, 90, true}}) {
    SCOPED_TRACE(c.d_v);
    TrackModel m = line_of(34000);
    place_slow_down(m, {5000, 30, 500, 1, 1, c.d_v});
    EXPECT_EQ(m.error_code, 0);
    struct Expect {
      int32_t section;
      uint8_t kind;
      int16_t data1, data3;
    };
    const Expect parts[] = {
        {77, kKindSlowWarning, 30, 0}, {101, kKindSlowStart, 30, 1}, {111, kKindSlowEnd, 30, 1}};
    for (const auto& p : parts) {
      EXPECT_EQ(m.section(p.section).kind, p.kind) << p.section;
      EXPECT_EQ(m.section(p.section).data1, p.data1) << p.section;
      EXPECT_EQ(m.section(p.section).data2, c.data2) << p.section;
      EXPECT_EQ(m.section(p.section).data3, p.data3) << p.section;
    }
    for (int j = 0; j < 4; ++j) {
      const TrackCell& mark = m.section(76 - j);
      EXPECT_EQ(mark.kind, kKindSlowApproach);
      EXPECT_EQ(mark.data1, j + 1);
      EXPECT_EQ(mark.data2, c.numbered_data2 ? j + 1 : 0);
    }
    EXPECT_EQ(m.section(72).kind, 0);
  }
}

TEST(MemoRallentamento, NoBoardUpTo1500) {
  TrackModel m = line_of(34000);
  place_slow_down(m, {1500, 30, 500, 1, 1, 0});
  EXPECT_EQ(m.error_code, 0);
  EXPECT_EQ(m.section(31).kind, kKindSlowStart);
  EXPECT_EQ(m.section(41).kind, kKindSlowEnd);
  for (int i = 0; i < 31; ++i) EXPECT_EQ(m.section(i).kind, 0) << i;
}

TEST(MemoRallentamento, ZeroLengthIsOneStartSection) {
  TrackModel m = line_of(34000);
  place_slow_down(m, {5000, 30, 0, 4, 0, 0});
  EXPECT_EQ(m.error_code, 0);
  const TrackCell& cell = m.section(101);
  EXPECT_EQ(cell.kind, kKindSlowStart);
  EXPECT_EQ(cell.data1, 30);
  EXPECT_EQ(cell.data3, 4);
  EXPECT_EQ(m.section(102).kind, 0);
}

TEST(MemoRallentamento, TakenBoardStartOrEndChangesNothing) {
  struct Case {
    int32_t taken;
    int32_t fault;
  };
  const Case cases[] = {{77, 17}, {101, 18}, {111, 19}};
  for (const auto& c : cases) {
    TrackModel m = line_of(34000);
    m.section(c.taken).kind = kKindSignal;
    const auto before = m.sections;
    place_slow_down(m, {5000, 30, 500, 1, 1, 90});
    EXPECT_EQ(m.error_code, c.fault) << c.taken;
    EXPECT_EQ(m.sections, before) << c.taken;
  }
}

TEST(MemoRallentamento, TakenApproachSectionIsFault20AfterTheSlowDownIsWritten) {
  TrackModel m = line_of(34000);
  m.section(74).kind = kKindSignBoard;
  place_slow_down(m, {5000, 30, 500, 1, 1, 0});
  EXPECT_EQ(m.error_code, 20);
  EXPECT_EQ(m.section(77).kind, kKindSlowWarning);
  EXPECT_EQ(m.section(101).kind, kKindSlowStart);
  EXPECT_EQ(m.section(111).kind, kKindSlowEnd);
  for (int i : {76, 75, 73}) EXPECT_EQ(m.section(i).kind, 0) << i;
}

TEST(MemoRallentamento, EndBeyondTheLastSectionIsRefusedUntouched) {
  TrackModel m = line_of(34000);  // cell_limit 820
  const auto before = m.sections;
  place_slow_down(m, {40000, 30, 1000, 1, 1, 0});  // end section 821
  EXPECT_EQ(m.error_code, kFaultSlowdownPastEnd);
  EXPECT_EQ(m.sections, before);
  place_slow_down(m, {40000, 30, 950, 1, 0, 0});  // end section 820, the last
  EXPECT_EQ(m.section(820).kind, kKindSlowEnd);
}

}  // namespace
}  // namespace compactor
