#include "compiler/line_features.h"

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "testing/compile_texts.h"

namespace compactor {
namespace {

const std::string kTrain = "[generale]\r\n[fine]\r\n";

TrackModel compile_body(const std::vector<std::string>& body) {
  std::string lines;
  for (const auto& l : body) lines += (lines.empty() ? "" : "\r\n") + l;
  return testing::compile_texts(testing::line_text(34000, {lines}), kTrain).model;
}

TEST(MemoMontagna, StretchesCoverTheirSectionsWithTypeAndMarkers) {
  struct Case {
    std::string name;
    std::vector<std::string> body;
    int first, last;  // the last record's sections
    uint8_t type;
    std::set<int> markers;  // every tunnel marker of the line
    int covered;            // every section with a mountain type
  };
  const Case cases[] = {
      {"one lit section, no marker", {"montagna, 500, 550, 12"}, 10, 10, 2, {}, 1},
      {"twenty lit sections", {"montagna, 25750, 26750, 11"}, 515, 534, 1, {518, 522, 526, 530, 534}, 20},
      {"150 m after", {"montagna, 1000, 2000, 1", "montagna, 2150, 2500, 2"}, 43, 49, 3, {}, 27},
      {"200 m after", {"montagna, 1000, 2000, 1", "montagna, 2200, 2500, 2"}, 44, 49, 2, {}, 26},
      {"an empty stretch counts", {"montagna, 500, 520, 1", "montagna, 600, 1000, 2"}, 12, 19, 3, {}, 8},
      {"the end rounds halves to even", {"montagna, 500, 575, 1"}, 10, 10, 1, {}, 1},
      {"seven lit sections", {"montagna, 1000, 1350, 11"}, 20, 26, 1, {23}, 7},
      {"eight lit sections", {"montagna, 1000, 1400, 11"}, 20, 27, 1, {23, 27}, 8},
      {"type 3, still lit", {"montagna, 1000, 1100, 1", "montagna, 1200, 1600, 12"}, 24, 31, 3, {27, 31}, 10},
      {"no marker over a sign",
       {"cartello_indicatore, 1100, (X)", "montagna, 1000, 1400, 11"},
       20,
       27,
       1,
       {27},
       8},
      {"a board replaces a marker",
       {"montagna, 1000, 1400, 11", "indicatori_vmax, 1100, 60, 60, 60, 0, 0, 0, 0, 0"},
       20,
       27,
       1,
       {27},
       8},
  };
  for (const auto& c : cases) {
    const TrackModel m = compile_body(c.body);
    ASSERT_EQ(m.error_code, 0) << c.name;
    for (int i = c.first; i <= c.last; ++i)
      EXPECT_EQ(m.section(i).mountain_type, c.type) << c.name << " " << i;
    std::set<int> markers;
    int covered = 0;
    for (int i = 0; i <= m.cell_limit; ++i) {
      if (m.section(i).kind == kKindTunnelMarker) markers.insert(i);
      covered += m.section(i).mountain_type != 0;
    }
    EXPECT_EQ(markers, c.markers) << c.name;
    EXPECT_EQ(covered, c.covered) << c.name;
  }
}

TEST(MemoIndicatoriVMax, BoardsPackTheirSpeedsAndStripes) {
  struct Case {
    std::string record;
    int section;
    int16_t data1, data2, data3, data4;
  };
  const Case cases[] = {
      {"indicatori_vmax,  800,  125,  135,  135,  0,  ,  ,  ,  0", 17, 2500, 2700, 2700, 0},
      {"indicatori_vmax,  22000,  65,  75,  75,  2,  65,  75,  75,  2", 441, 1313, 1515, 1515, 22},
      {"indicatori_vmax, 1000, 10, 10, 0, 0, 7, 13, 0, 0", 21, 201, 203, 0, 0},        // 1.4 -> 1, 2.6 -> 3
      {"indicatori_vmax, 1000, 1638, 0, 0, 65538, 35, 0, 0, 1", 21, 32767, 0, 0, 21},  // stripes' low 16 bits
      {"indicatori_vmax, 1000, -1638, 0, 0, -3, -40, 0, 0, 0", 21, -32768, 0, 0, -30},
  };
  for (const auto& c : cases) {
    const TrackModel m = compile_body({c.record});
    const TrackCell& cell = m.section(c.section);
    EXPECT_EQ(cell.kind, kKindSpeedBoard) << c.record;
    EXPECT_EQ((std::vector<int16_t>{cell.data1, cell.data2, cell.data3, cell.data4}),
              (std::vector<int16_t>{c.data1, c.data2, c.data3, c.data4}))
        << c.record;
  }
  for (const std::string record : {"indicatori_vmax, 1000, 1639, 0, 0, 0, 0, 0, 0, 0",
                                   "indicatori_vmax, 1000, 0, 0, 0, 3277, 0, 0, 0, 0"}) {
    EXPECT_EQ(compile_body({record}).error_code, 25) << record;
  }
}

TEST(ProgressiveOrdina, TriplesAreOrderedByStartThenByChainage) {
  // T, D, U: the "tre", "due" and "uno" triples; 0: a triple of zeros.
  struct Case {
    int32_t starts[3];
    int32_t chainages[3];
    std::string order;
  };
  const Case cases[] = {
      {{5000, 0, 2000}, {1000, 2000, 3000}, "TUD"},
      {{3000, 3000, 0}, {1000, 2000, 3000}, "000"},
      {{3000, 1000, 1000}, {1000, 2000, 3000}, "TUD"},
      {{1000, 3000, 2000}, {1000, 2000, 3000}, "DUT"},
      {{1000, 3000, 500}, {1000, 2000, 3000}, "DTU"},
      {{1000, 3000, 1000}, {1000, 2000, 3000}, "DUT"},
      {{1000, 500, 3000}, {1000, 2000, 3000}, "UTD"},
      {{500, 1000, 3000}, {1000, 2000, 3000}, "UDT"},
      {{1000, 1000, 3000}, {1000, 2000, 3000}, "UDT"},
      {{0, 0, 0}, {60000, 0, 50550}, "UDT"},
      {{0, 0, 0}, {60000, 40000, 0}, "DTU"},
      {{0, 0, 0}, {60000, 0, 0}, "TDU"},
      {{0, 0, 0}, {0, 0, 0}, "000"},
      {{100, -100, 0}, {1000, 2000, 3000}, "UDT"},  // the starts sum to 0
  };
  for (const auto& c : cases) {
    const char* names[] = {"tre", "due", "uno"};
    std::string general = "[generale]\r\nlunghezza percorso, 34000\r\n";
    for (int k = 0; k < 3; ++k)
      general += "progressiva chilometrica " + std::string(names[k]) + ", " + std::to_string(c.starts[k]) +
                 ", " + std::to_string(c.chainages[k]) + ", 0\r\n";
    const TrackModel m = testing::compile_texts(general + "[curve]\r\n[fine]\r\n", kTrain).model;
    for (int k = 0; k < 3; ++k) {
      const size_t from = std::string("TDU").find(c.order[static_cast<size_t>(k)]);
      const SlotRecord& s = m.slot(kChainageSlotTre + k);
      const int32_t start = from == std::string::npos ? 0 : c.starts[from];
      const int32_t chainage = from == std::string::npos ? 0 : c.chainages[from];
      EXPECT_EQ(s.value1, start) << c.order << " slot " << 81 + k;
      EXPECT_EQ(s.value2, chainage) << c.order << " slot " << 81 + k;
    }
  }
}

TEST(ProgressiveOrdina, FlaggedChainageIsRaisedWhereverItLands) {
  const TrackModel m = testing::compile_texts(
                           "[generale]\r\nlunghezza percorso, 34000\r\n"
                           "progressiva chilometrica uno, 0, 50550, 1\r\n[curve]\r\n[fine]\r\n",
                           kTrain)
                           .model;
  EXPECT_EQ(m.slot(81).value2, 50650);
  EXPECT_EQ(m.slot(81).value3, 1);
  EXPECT_EQ(m.slot(83).value2, 0);
}

}  // namespace
}  // namespace compactor
