#include "output/abbattimento.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/compile_texts.h"

namespace compactor {
namespace {

using Sections = std::vector<int32_t>;

// Records that put a feature into a given section of a 10000 m line (cell_limit 340).
std::string signal_at(int32_t section) {
  return "segnale, " + std::to_string((section - 1) * 50) + ", 1, 0, 0, 0, 0, 0, 0, 0, 0, 0";
}
// Starts above section 31 also get a warning board 24 sections before the start.
std::string slow_down(int32_t start, int32_t end, int32_t speed) {
  return "rallentamento, " + std::to_string((start - 1) * 50) + ", " + std::to_string(speed) + ", " +
         std::to_string((end - start) * 50) + ", 0, 0, 0";
}
std::string point_at(int32_t section, int32_t value) {
  return "abbattimento, " + std::to_string(section * 50) + ", " + std::to_string(value);
}
std::string taken(int32_t section) { return point_at(section, 0); }  // a bare point: occupied

struct PassRun {
  TrackModel model;
  std::vector<Conflict> conflicts;
};

PassRun run_pass(const std::vector<std::string>& records) {
  std::string train = "[generale]\r\n";
  for (const auto& r : records) train += r + "\r\n";
  auto compiled = testing::compile_texts(testing::line_text(10000, {}), train + "[fine]\r\n");
  EXPECT_EQ(compiled.model.error_code, 0);
  PassRun run{std::move(compiled.model), {}};
  const auto before = run.model.sections;
  run.conflicts = abbattimento_pass(run.model);
  // The pass writes kind and data1 and nothing else.
  for (size_t i = 0; i < before.size(); ++i) {
    TrackCell cell = run.model.sections[i];
    cell.kind = before[i].kind;
    cell.data1 = before[i].data1;
    EXPECT_EQ(cell, before[i]) << i;
  }
  return run;
}

// Sections holding a point of value 180 in [from, to].
Sections points(const TrackModel& m, int32_t from = 0, int32_t to = 340) {
  Sections out;
  for (int32_t i = from; i <= to; ++i)
    if (m.section(i).kind == kKindAbbattimento && m.section(i).data1 == 180) out.push_back(i);
  return out;
}

std::vector<std::string> with(std::vector<std::string> records, const Sections& occupied) {
  for (int32_t s : occupied) records.push_back(taken(s));
  return records;
}

TEST(AbbattimentoPass, WindowsBeforeASlowDownStart) {
  struct Case {
    int32_t start;
    Sections occupied;
    Sections expected;
    std::vector<Conflict> conflicts;
  };
  const Case cases[] = {
      {7, {}, {}, {}},
      {8, {}, {3}, {}},
      {8, {3, 2}, {1}, {}},  // the reserved section 1: the finishing step refuses it later
      {13, {}, {8}, {}},
      {14, {}, {3, 9}, {}},
      {20, {}, {9, 15}, {}},
      {21, {}, {3, 10, 16}, {}},
      {21, {16}, {3, 10, 15}, {}},
      {21, {16, 15, 14}, {3, 10}, {{12, 1050}}},
      {21, {10, 9, 8}, {3, 16}, {{12, 1050}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.start);
    const PassRun run = run_pass(with({slow_down(c.start, c.start + 2, 200)}, c.occupied));
    EXPECT_EQ(points(run.model), c.expected);
    EXPECT_EQ(run.conflicts, c.conflicts);
  }
}

TEST(AbbattimentoPass, RepeatPointsInsideASlowDown) {
  constexpr int32_t kStart = 31;  // no warning board; windows at 26, 20 and 13
  struct Case {
    const char* what;
    int32_t speed, sections;
    Sections occupied;  // after the start
    Sections expected;  // after the start
    std::vector<Conflict> conflicts;
  };
  const Case cases[] = {
      {"speed 109", 109, 20, {}, {8, 16}, {}},
      {"speed 110", 110, 20, {}, {}, {}},
      {"end 7 after the start", 50, 7, {}, {}, {}},
      {"end 8 after the start", 50, 8, {}, {7}, {}},
      {"shifted back", 50, 20, {8}, {7, 15}, {}},
      {"shifted forward", 50, 20, {7, 8}, {9, 17}, {}},
      {"no room: no more repeat points", 50, 30, {7, 8, 9}, {}, {{13, (kStart + 8) * 50}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    Sections occupied, expected;
    for (int32_t d : c.occupied) occupied.push_back(kStart + d);
    for (int32_t d : c.expected) expected.push_back(kStart + d);
    const PassRun run = run_pass(with({slow_down(kStart, kStart + c.sections, c.speed)}, occupied));
    EXPECT_EQ(points(run.model, kStart), expected);
    EXPECT_EQ(run.conflicts, c.conflicts);
  }
}

TEST(AbbattimentoPass, SignalAfterTheSlowDownEnd) {
  constexpr int32_t kStart = 31, kEnd = 33;
  struct Case {
    const char* what;
    int32_t speed, offset;
    Sections occupied;
    Sections expected;  // after the start
    std::vector<Conflict> conflicts;
  };
  const Case cases[] = {
      {"12 sections on", 50, 12, {}, {kEnd + 11}, {}},
      {"13 sections on", 50, 13, {}, {}, {}},
      {"12 sections on, speed 110", 110, 12, {}, {kEnd + 11}, {}},
      {"13 sections on, speed 110", 110, 13, {}, {}, {}},
      {"right after the end", 50, 1, {}, {kEnd - 1}, {}},
      {"section before taken", 50, 5, {kEnd + 4}, {kEnd + 3}, {}},
      {"no room", 50, 5, {kEnd + 4, kEnd + 3}, {}, {{13, kEnd * 50}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const PassRun run =
        run_pass(with({slow_down(kStart, kEnd, c.speed), signal_at(kEnd + c.offset)}, c.occupied));
    EXPECT_EQ(points(run.model, kStart), c.expected);
    EXPECT_EQ(run.conflicts, c.conflicts);
  }
}

TEST(AbbattimentoPass, FastSlowDownSearchesFromItsOwnEnd) {
  // The first slow-down's end is 5 sections before a signal; the second, at speed 120,
  // ends far from any signal and must not search from the first one's end again.
  const PassRun run = run_pass({slow_down(31, 33, 50), signal_at(38), slow_down(100, 102, 120)});
  EXPECT_EQ(points(run.model, 31, 80), Sections{37});
  EXPECT_TRUE(run.conflicts.empty());
}

TEST(AbbattimentoPass, SignalsBehindAWarningBoard) {
  // Start 150: board at 126; signals 4 and 15 sections behind it.
  const PassRun two = run_pass({slow_down(150, 152, 200), signal_at(122), signal_at(111)});
  EXPECT_EQ(points(two.model, 100, 126), (Sections{110, 121}));

  // Boards at 105 and 115, both within 20 sections of the signal at 101.
  const PassRun boards = run_pass({signal_at(101), slow_down(129, 131, 200), slow_down(139, 141, 200)});
  EXPECT_EQ(points(boards.model, 95, 101), (Sections{99, 100}));

  // Section 2 is never an anchor; section 3 is.
  const PassRun low = run_pass({signal_at(3), slow_down(40, 42, 200)});
  EXPECT_EQ(points(low.model, 0, 3), Sections{2});
  const PassRun lower = run_pass({signal_at(2), slow_down(40, 42, 200)});
  EXPECT_EQ(points(lower.model, 0, 3), Sections{});
}

TEST(AbbattimentoPass, ExistingPointBeforeASignalIsLoweredTo180) {
  // Signal at 101, board at 110 (start 134).
  struct Case {
    const char* what;
    std::vector<std::string> around;
    int16_t value100, value99;
    uint8_t kind99;
    std::vector<Conflict> conflicts;
  };
  const Case cases[] = {
      {"270 lowered", {point_at(100, 270), taken(99)}, 180, 0, kKindBareAbbattimento, {}},
      {"75 kept", {point_at(100, 75), taken(99)}, 75, 0, kKindBareAbbattimento, {}},
      {"free section two before", {point_at(100, 270)}, 270, 180, kKindAbbattimento, {}},
      {"point two before lowered", {taken(100), point_at(99, 270)}, 0, 180, kKindAbbattimento, {}},
      {"bare points are not lowered", {taken(100), taken(99)}, 0, 0, kKindBareAbbattimento, {{11, 5050}}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> records{signal_at(101), slow_down(134, 136, 200)};
    records.insert(records.end(), c.around.begin(), c.around.end());
    const PassRun run = run_pass(records);
    EXPECT_EQ(run.model.section(100).data1, c.value100);
    EXPECT_EQ(run.model.section(99).data1, c.value99);
    EXPECT_EQ(run.model.section(99).kind, c.kind99);
    EXPECT_EQ(run.conflicts, c.conflicts);
  }
}

TEST(AbbattimentoPass, ConflictsComeInOrderAndTheLastStays) {
  const PassRun run = run_pass(with({slow_down(21, 23, 200), slow_down(31, 61, 50)}, {10, 9, 8, 38, 39, 40}));
  const std::vector<Conflict> expected{{12, 1050}, {13, 1950}};
  EXPECT_EQ(run.conflicts, expected);
  EXPECT_EQ(run.model.error_code, 13);
  EXPECT_EQ(run.model.error_position, 1950);
}

TEST(AbbattimentoPass, MinimoKeepsTheFirstOnATie) {
  struct Tagged {
    int value, tag;
    bool operator>(const Tagged& o) const { return value > o.value; }
  };
  EXPECT_EQ(minimo(Tagged{5, 1}, Tagged{5, 2}).tag, 1);
  EXPECT_EQ(minimo(Tagged{6, 1}, Tagged{5, 2}).tag, 2);
  EXPECT_EQ(minimo<int16_t>(180, 270), 180);
  EXPECT_EQ(minimo<int16_t>(180, -5), -5);
}

}  // namespace
}  // namespace compactor
