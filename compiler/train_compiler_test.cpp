#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/compile_texts.h"
#include "output/abbattimento.h"
#include "sources/cp1252.h"
#include "sources/line_content.h"
#include "sources/train_content.h"

namespace compactor {
namespace {

using testing::compile_texts;
using testing::Compiled;
using testing::line_text;
using testing::train_text;

// A content table as the fixed-text writer puts it into its file.
template <typename Lines>
std::string written(const Lines& lines) {
  std::string out;
  for (std::string_view l : lines) out += utf8_to_cp1252(l) + "\r\n";
  return out;
}

// A line of 10000 m: cell_limit 340, the last range-checked position 16900.
const std::string kLine = line_text(10000, {});

Compiled compile_train(const std::string& train) { return compile_texts(kLine, train); }

std::string records(const std::vector<std::string>& lines) {
  std::string out = "[generale]\r\n";
  for (const auto& l : lines) out += l + "\r\n";
  return out + "[fine]\r\n";
}

void expect_both_deleted(const Compiled& c) {
  EXPECT_TRUE(c.files.was_deleted(Description::line));
  EXPECT_TRUE(c.files.was_deleted(Description::train));
}

class EmbeddedContent : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    compiled_ = new Compiled(compile_texts(written(line_content()), written(train_content())));
  }
  static void TearDownTestSuite() { delete compiled_; }
  static const TrackModel& model() { return compiled_->model; }
  static Compiled* compiled_;
};

Compiled* EmbeddedContent::compiled_ = nullptr;

TEST_F(EmbeddedContent, CompilesWithoutFaultAndDeletesBothDescriptions) {
  EXPECT_EQ(model().error_code, 0);
  EXPECT_EQ(model().cell_limit, 820);
  expect_both_deleted(*compiled_);
  TrackModel copy = model();
  EXPECT_TRUE(abbattimento_pass(copy).empty());
  EXPECT_EQ(copy.sections, model().sections);
}

TEST_F(EmbeddedContent, FirstStationSlot) {
  const SlotRecord expected{.kind = 12,
                            .value1 = -250,
                            .value2 = 250,
                            .value3 = 0,
                            .mode = 1,
                            .text = "ROVELLA",
                            .short1 = 4,
                            .short2 = 1,
                            .short3 = 2,
                            .short4 = 1,
                            .short5 = 1,
                            .byte1 = 0,
                            .byte2 = 1,
                            .byte3 = 0,
                            .byte4 = 0,
                            .value4 = 66060};
  EXPECT_EQ(model().slot(1), expected);
}

TEST_F(EmbeddedContent, StationExtentsEndsAndMarks) {
  struct Case {
    int slot;
    const char* name;
    int32_t value1, value2, end_section;
  };
  const Case cases[] = {
      {1, "ROVELLA", -250, 250, 4},       {2, "PRATOLINE", 6550, 7100, 141},
      {3, "CASTRELA", 11750, 12300, 245}, {4, "SAN MARTINO di TIRSA", 15850, 16500, 329},
      {6, "TIRSA", 24800, 25300, 505},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_EQ(model().slot(c.slot).text, c.name);
    EXPECT_EQ(model().slot(c.slot).value1, c.value1);
    EXPECT_EQ(model().slot(c.slot).value2, c.value2);
    EXPECT_EQ(model().section(c.end_section).kind, kKindStationEnd);
    EXPECT_EQ(model().section(c.end_section).data1, c.slot);
    for (int k = 1; k <= 4; ++k) {
      const int32_t marked = c.end_section - k;
      EXPECT_EQ(model().section(marked).approach_mark, marked > 1 ? 80 + k : 0) << marked;
    }
  }
  EXPECT_EQ(model().slot(2).byte3, 1);
  EXPECT_EQ(model().slot(2).byte2, 201);
}

TEST_F(EmbeddedContent, JunctionMarksNoSection) {
  const SlotRecord& s = model().slot(5);
  EXPECT_EQ(s.text, "BIVIO SANT' ELIA DI LAGO");
  EXPECT_EQ(s.kind, 25);
  EXPECT_EQ(s.value1, 21800);
  EXPECT_EQ(s.value2, 22000);
  for (int i = 432; i <= 442; ++i) {
    EXPECT_NE(model().section(i).kind, kKindStationEnd) << i;
    EXPECT_EQ(model().section(i).approach_mark, 0) << i;
  }
  EXPECT_EQ(model().slot(7), SlotRecord{});
}

TEST_F(EmbeddedContent, SpeedAndAdhesionFills) {
  struct Range {
    int32_t first, last;
    uint8_t speed;
  };
  const Range ranges[] = {{0, 15, 15},    {16, 429, 27},  {430, 441, 12},
                          {442, 464, 27}, {465, 817, 15}, {818, 820, 0}};
  for (const auto& r : ranges) {
    for (int32_t i = r.first; i <= r.last; ++i) {
      ASSERT_EQ(model().section(i).speed_code, r.speed) << i;
      ASSERT_EQ(model().section(i).adhesion, i <= 817 ? 100 : 0) << i;
    }
  }
}

TEST_F(EmbeddedContent, HeaderValuesAndSignals) {
  EXPECT_EQ(model().slot(84).value1, 120);
  EXPECT_EQ(model().slot(84).value3, 3);
  EXPECT_EQ(model().slot(86).short1, 300);
  EXPECT_EQ(model().slot(86).short3, 18);
  EXPECT_EQ(model().slot(86).short4, 20);
  EXPECT_EQ(model().slot(86).short5, 30);
  int signals = 0;
  for (const auto& cell : model().sections) signals += cell.kind == kKindSignal;
  EXPECT_EQ(signals, 10);
  EXPECT_EQ(model().section(94).data1, 50);
  EXPECT_EQ(model().section(431).data4, 16);
}

TEST(TrainReading, RecordRecognition) {
  const std::string kStation = "0, 12,  500,  1, 0, 0,  4,1,0,  2,1,1,    1,  18,21, 0, NAME";
  struct Case {
    const char* what;
    std::string text;
    int32_t vehicles, sand;
    const char* station;
  };
  const Case cases[] = {
      {"capital keyword", records({"STAZIONE, " + kStation, "Numero VETTURE, 4"}), 4, 0, "NAME"},
      {"dash lines passed over", records({"-----", "--", "sabbia, 7"}), 0, 7, ""},
      {"third dash field tested", records({"---", "--", "--- sabbia", "9"}), 0, 9, ""},
      {"record before the header", "sabbia, 5\r\n" + records({"numero vetture, 2"}), 2, 0, ""},
      {"no header at all", "sabbia, 5\r\nnumero vetture, 2\r\n", 0, 0, ""},
      {"header reads no values", records({"[stazioni]", "sabbia, 6"}), 0, 6, ""},
      {"last field not interpreted", "[generale]\r\nnumero vetture, 2\r\nsabbia\r\n", 2, 0, ""},
      {"misspelt keyword", records({"orologgio, sabbia, 12"}), 0, 12, ""},
      {"text number reads 0", records({"numero vetture, abc", "sabbia, 3"}), 0, 3, ""},
      {"station over two lines",
       records({"stazione, 0, 12,  500,  1, 0, 0,  4,1,0,  2", "1,1, 1, 18,21,0, TWO"}), 0, 0, "TWO"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Compiled r = compile_train(c.text);
    EXPECT_EQ(r.model.error_code, 0);
    EXPECT_TRUE(r.files.was_deleted(Description::train));
    EXPECT_EQ(r.model.slot(84).value3, c.vehicles);
    EXPECT_EQ(r.model.slot(86).short1, c.sand);
    EXPECT_EQ(r.model.slot(1).text, c.station);
  }
}

TEST(TrainReading, TwoKeywordsInOneFieldReadTwoRecords) {
  const Compiled r = compile_train(records({"velocita aderenza, 0, 100, 0, 80", "velocita, 500, 50"}));
  EXPECT_EQ(r.model.error_code, 0);
  EXPECT_EQ(r.model.section(0).speed_code, 20);
  EXPECT_EQ(r.model.section(10).speed_code, 10);
  EXPECT_EQ(r.model.section(0).adhesion, 80);
}

TEST(TrainReading, ReadingFailuresAreFault25) {
  struct Case {
    const char* what;
    std::optional<std::string> text;
  };
  const Case cases[] = {
      {"300 in an 8-bit field", records({"stazione, 1000, 300, 500, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, X"})},
      {"record cut off by the end", std::string("[generale]\r\nsegnale, 1000, 1, 2\r\n")},
      {"speed step above 255", records({"velocita, 0, 1300", "velocita, 500, 100"})},
      {"no train description", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Compiled r = compile_texts(kLine, c.text);
    EXPECT_EQ(r.model.error_code, 25);
    expect_both_deleted(r);
  }
}

TEST(TrainCompiler, StationFaults) {
  const std::string kTail = "0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, S";
  auto station = [&](int32_t p, int kind, int32_t length) {
    return "stazione, " + std::to_string(p) + ", " + std::to_string(kind) + ", " + std::to_string(length) +
           ", " + kTail;
  };
  struct Case {
    const char* what;
    std::vector<std::string> stations;
    int32_t code, position;
  };
  const Case cases[] = {
      {"position off the 50 m grid", {station(6820, 12, 500)}, 8, 6820},
      {"length off the 100 m grid", {station(3000, 12, 550)}, 9, 3000},
      {"end at 100 m", {station(0, 12, 200)}, 24, 0},
      {"a junction needs no end", {station(0, 25, 100)}, 0, 0},
      {"starts 300 m after the one before", {station(1000, 12, 500), station(1800, 12, 500)}, 22, 1800},
      {"starts 350 m after the one before", {station(1000, 12, 500), station(1850, 12, 500)}, 0, 0},
      {"beyond the range with 800", {station(16250, 12, 500)}, 15, 16250},
      {"at the edge of the range", {station(16200, 12, 500)}, 0, 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> lines{"velocita, 0, 100"};
    lines.insert(lines.end(), c.stations.begin(), c.stations.end());
    const Compiled r = compile_train(records(lines));
    EXPECT_EQ(r.model.error_code, c.code);
    EXPECT_EQ(r.model.error_position, c.position);
    EXPECT_TRUE(r.files.was_deleted(Description::train));
    // A fault end skips the fills; fault 15 and the normal end run them.
    const bool filled = c.code == 0 || c.code == 15;
    EXPECT_EQ(r.model.section(0).speed_code, filled ? 20 : 0);
  }
}

TEST(TrainCompiler, StationCountStopsBeforeTheSignTexts) {
  std::vector<std::string> lines;
  for (int n = 1; n <= 80; ++n)
    lines.push_back("stazione, " + std::to_string(n * 1000) + ", 25, 100, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, S" +
                    std::to_string(n));
  const Compiled r = compile_texts(line_text(100000, {}), records(lines));
  EXPECT_EQ(r.model.error_code, 10);
  EXPECT_EQ(r.model.error_position, 0);
  EXPECT_EQ(r.model.slot(79).text, "S79");
  EXPECT_EQ(r.model.slot(80).text, "");
}

TEST(TrainCompiler, StationKindsShapeTheExtent) {
  struct Case {
    int kind;
    int32_t value1, value2;
    int end_section;
    uint8_t byte3;
    bool marks;
  };
  const Case cases[] = {
      {5, 4600, 5150, 102, 0, false},
      {7, 4600, 5400, 107, 0, true},
      {12, 4800, 5250, 104, 1, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.kind);
    const Compiled r = compile_train(records(
        {"stazione, 0, 25, 100, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, FIRST",
         "stazione, 5000, " + std::to_string(c.kind) + ", 400, 0, 9, 1, 0,0,0, 0,0,0, 0, 0,0,0, SECOND"}));
    EXPECT_EQ(r.model.error_code, 0);
    const SlotRecord& s = r.model.slot(2);
    EXPECT_EQ(s.value1, c.value1);
    EXPECT_EQ(s.value2, c.value2);
    EXPECT_EQ(s.byte3, c.byte3);
    EXPECT_EQ(s.byte4, 0);  // shorter than 600
    EXPECT_EQ(r.model.section(c.end_section).kind, kKindStationEnd);
    EXPECT_EQ(r.model.section(c.end_section).data1, 2);
    EXPECT_EQ(r.model.section(c.end_section - 1).approach_mark, c.marks ? 81 : 0);
  }
}

TEST(TrainCompiler, FirstStationDropsByte3AndByte4) {
  const Compiled r =
      compile_train(records({"stazione, 0, 12, 600, 0, 9, 1, 0,0,0, 0,0,0, 0, 0,0,0, FIRST",
                             "stazione, 5000, 12, 600, 0, 9, 1, 0,0,0, 0,0,0, 0, 0,0,0, SECOND"}));
  EXPECT_EQ(r.model.error_code, 0);
  EXPECT_EQ(r.model.slot(1).byte3, 0);
  EXPECT_EQ(r.model.slot(1).byte4, 0);
  EXPECT_EQ(r.model.slot(1).value2, 350);  // the short-platform flag still lengthens it
  EXPECT_EQ(r.model.slot(2).byte3, 1);
  EXPECT_EQ(r.model.slot(2).byte4, 9);
}

TEST(TrainCompiler, SignalPlacement) {
  const std::string kStation = "stazione, 1000, 12, 500, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, S";  // end section 24
  struct Case {
    const char* what;
    std::string line;
    std::vector<std::string> train;
    int32_t code, position;
  };
  const Case cases[] = {
      {"on a station end", kLine, {kStation, "segnale, 1150, 1, 5, 6, 0, 0, 0, 0,0,0, 0"}, 16, 1150},
      {"on a tunnel marker",
       line_text(10000, {"montagna, 500, 900, 11"}),
       {"segnale, 600, 1, 5, 6, 0, 0, 0, 0,0,0, 0"},
       0,
       0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Compiled r = compile_texts(c.line, records(c.train));
    EXPECT_EQ(r.model.error_code, c.code);
    EXPECT_EQ(r.model.error_position, c.position);
    expect_both_deleted(r);
  }
  const Compiled tunnel = compile_texts(cases[1].line, records(cases[1].train));
  EXPECT_EQ(tunnel.model.section(13).kind, kKindSignal);
  EXPECT_EQ(tunnel.model.section(17).kind, kKindTunnelMarker);
}

TEST(TrainCompiler, AbbattimentoRecords) {
  struct Case {
    std::vector<std::string> train;
    int32_t code;
    uint8_t kind;
    int16_t data1;
  };
  const Case cases[] = {
      {{"abbattimento, 5000, 0"}, 0, kKindBareAbbattimento, 0},
      {{"abbattimento, 5000, 7"}, 0, kKindAbbattimento, 7},
      {{"abbattimento, 5000, 70000"}, 0, kKindAbbattimento, 4464},
      {{"segnale, 4950, 1, 5, 6, 0, 0, 0, 0,0,0, 0", "abbattimento, 5000, 7"}, 7, kKindSignal, 50},
  };
  for (const auto& c : cases) {
    const Compiled r = compile_train(records(c.train));
    EXPECT_EQ(r.model.error_code, c.code);
    EXPECT_EQ(r.model.error_position, c.code == 0 ? 0 : 5000);
    EXPECT_EQ(r.model.section(100).kind, c.kind);
    EXPECT_EQ(r.model.section(100).data1, c.data1);
  }
}

TEST(TrainCompiler, SlowDownFaultsCarryTheStart) {
  struct Case {
    const char* what;
    std::string record;
    int32_t code, position;
  };
  const Case cases[] = {
      {"end past the last section", "rallentamento, 16000, 30, 1000, 1, 0, 0", 109, 16000},
      {"start on the signal", "rallentamento, 4950, 30, 500, 1, 0, 0", 18, 4950},
      {"out of range", "rallentamento, 16950, 30, 0, 1, 0, 0", 15, 16950},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const Compiled r =
        compile_train(records({"segnale, 4950, 1, 5, 6, 0, 0, 0, 0,0,0, 0", c.record, "sabbia, 4"}));
    EXPECT_EQ(r.model.error_code, c.code);
    EXPECT_EQ(r.model.error_position, c.position);
    EXPECT_EQ(r.model.slot(86).short1, 0);  // nothing after the fault is read
  }
}

TEST(TrainCompiler, SpeedFill) {
  const Compiled r =
      compile_train(records({"velocita, 500, 100", "velocita, 1000, 150", "velocita, 1000, 50"}));
  ASSERT_EQ(r.model.error_code, 0);
  struct Expect {
    int32_t section;
    uint8_t code;
  };
  // Nothing is in force before the first record; the second record at 1000 writes
  // one more section, at its cursor, with the value before it.
  const Expect expected[] = {{0, 0},   {9, 0},    {10, 20}, {19, 20}, {20, 30},
                             {21, 10}, {337, 10}, {338, 0}, {340, 0}};
  for (const auto& e : expected) EXPECT_EQ(r.model.section(e.section).speed_code, e.code) << e.section;
}

TEST(TrainCompiler, RecordsAtOneSpotNeverFillPastTheLastSection) {
  std::vector<std::string> lines;
  for (int n = 0; n < 400; ++n) {
    lines.push_back("velocita, 50, 100");
    lines.push_back("aderenza, 50, 90");
  }
  lines.push_back("velocita, 50, 200");
  lines.push_back("aderenza, 50, 70");
  const Compiled r = compile_train(records(lines));
  EXPECT_EQ(r.model.error_code, 0);
  // A speed-limit record stops short of the last section, which the final fill then
  // writes with the last value; adhesion records reach the last section themselves.
  EXPECT_EQ(r.model.section(339).speed_code, 20);
  EXPECT_EQ(r.model.section(340).speed_code, 40);
  EXPECT_EQ(r.model.section(340).adhesion, 90);
}

TEST(TrainCompiler, RangeFaultStillFillsAndLaterReferenceFaultReplacesIt) {
  const std::string reference_line =
      testing::crlf({"[generale]", "lunghezza percorso, 10000", "progressiva chilometrica uno, 25, 50550, 0",
                     "[curve]", "[fine]"});
  struct Case {
    std::string line;
    int32_t code;
  };
  for (const Case& c : {Case{kLine, 15}, Case{reference_line, 2}}) {
    const Compiled r =
        compile_texts(c.line, records({"velocita, 0, 100", "velocita, 17000, 50", "sabbia, 4"}));
    EXPECT_EQ(r.model.error_code, c.code);
    EXPECT_EQ(r.model.error_position, 17000);
    EXPECT_EQ(r.model.slot(86).short1, 0);
    EXPECT_EQ(r.model.section(337).speed_code, 20);
    EXPECT_EQ(r.model.section(338).speed_code, 0);
    EXPECT_TRUE(r.files.was_deleted(Description::train));
  }
}

TEST(TrainCompiler, LineFault15EndsTheCompileAtTheFirstSignal) {
  const std::string line = line_text(10000, {"pendenza, 20000, 4"});
  const Compiled with_signal =
      compile_texts(line, records({"velocita, 0, 100", "sabbia, 4",
                                   "segnale, 1000, 1, 5, 6, 0, 0, 0, 0,0,0, 0", "numero vetture, 5"}));
  EXPECT_EQ(with_signal.model.error_code, 15);
  EXPECT_EQ(with_signal.model.error_position, 1000);
  EXPECT_EQ(with_signal.model.slot(86).short1, 4);
  EXPECT_EQ(with_signal.model.slot(84).value3, 0);
  EXPECT_EQ(with_signal.model.section(21).kind, kKindSignal);
  EXPECT_EQ(with_signal.model.section(0).speed_code, 0);
  expect_both_deleted(with_signal);

  const Compiled without = compile_texts(line, records({"velocita, 0, 100", "sabbia, 4"}));
  EXPECT_EQ(without.model.error_code, 15);
  EXPECT_EQ(without.model.error_position, 20000);
  EXPECT_EQ(without.model.section(0).speed_code, 20);
}

}  // namespace
}  // namespace compactor
