#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "compiler/compile_context.h"
#include "compiler/faults.h"
#include "testing/compile_texts.h"
#include "sources/line_content.h"
#include "sources/text_writer.h"

namespace compactor {
namespace {

using testing::Compiled;
using testing::line_text;

const std::string kTrain = "[generale]\r\n[fine]\r\n";

Compiled compile_line(std::string line, int32_t plot_wanted = 1) {
  return testing::compile_texts(std::move(line), kTrain, plot_wanted);
}

// A general section holding the given records (one line each), then an empty body.
std::string general(const std::vector<std::string>& records) {
  std::string out = "[generale]\r\n";
  for (const auto& r : records) out += r + "\r\n";
  return out + "[curve]\r\n[fine]\r\n";
}

// The given lines joined into one, for line_text.
std::string joined(const std::vector<std::string>& lines) {
  std::string out;
  for (const auto& l : lines) out += (out.empty() ? "" : "\r\n") + l;
  return out;
}

double px(const TrackModel& m, int64_t metre, int axis) { return std::get<double>(m.plot(metre, axis)); }

TEST(LineCompiler, EmbeddedLineGivesTheWorkedExample) {
  const auto c = compile_line(render_line_table(fill_line_table(line_content())));
  const TrackModel& m = c.model;
  EXPECT_EQ(m.error_code, 0);
  EXPECT_TRUE(c.files.was_deleted(Description::line));
  EXPECT_EQ(m.slot(84).value2, 34000);
  EXPECT_EQ(m.plot_limit, 41000);
  EXPECT_EQ(m.cell_limit, 820);
  EXPECT_EQ(m.next_sign_slot, 47);
  for (int i = 0; i < 40; ++i) EXPECT_EQ(m.section(i).gradient_code, i < 10 ? 100 : 104) << i;
  EXPECT_EQ(m.section(817).gradient_code, 112);
  for (int i = 818; i <= 820; ++i) EXPECT_EQ(m.section(i).gradient_code, 0) << i;
  EXPECT_EQ(m.section(9).kind, kKindSignBoard);
  EXPECT_EQ(m.section(9).data1, 80);
  EXPECT_EQ(m.slot(80).text, "(  LINEA A    )(BINARIO UNICO)");
  EXPECT_EQ(m.slot(60).text, "( CAVALCAVIA   )(STRADA STATALE)(  N\xB0 47       )");
  EXPECT_EQ(m.slot(81).value2, 50550);
  EXPECT_EQ(m.slot(85).text, "Linea");
  EXPECT_EQ(m.slot(86).text, "1");

  EXPECT_EQ(m.plot(0, 0), PlotValue{int16_t{0}});
  EXPECT_EQ(m.plot(1, 1), PlotValue{int16_t{1}});
  EXPECT_EQ(px(m, 2, 0), -0.0002);
  EXPECT_EQ(px(m, 2, 1), 2.0);
  // The exact binary64 results: (-0.0006, 2.99999996), (-0.001199999992, 3.99999984) and
  // about (-0.244998, 49.999216); a different order of operations changes the last bits.
  EXPECT_EQ(px(m, 3, 0), -0.00060000000000000006);
  EXPECT_EQ(px(m, 3, 1), 2.9999999600000002);
  EXPECT_EQ(px(m, 4, 0), -0.0011999999920000001);
  EXPECT_EQ(px(m, 4, 1), 3.9999998400000005);
  EXPECT_EQ(px(m, 50, 0), -0.2449981576050842);
  EXPECT_EQ(px(m, 50, 1), 49.999216003389812);
  EXPECT_TRUE(std::holds_alternative<double>(m.plot(40998, 1)));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(m.plot(40999, 0)));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(m.plot(41000, 1)));
}

TEST(LineCompiler, GeneralRecordsFollowTheirCaseRules) {
  struct Case {
    std::string record;
    int slot;
    int32_t SlotRecord::*field;
    int32_t expected;
  };
  const Case cases[] = {
      {"LUNGHEZZA Percorso, 2000", 84, &SlotRecord::value2, 2000},
      {"progressiva chilometrica uno, 0, 50550, 0", 81, &SlotRecord::value2, 50550},
      {"Progressiva chilometrica uno, 0, 50550, 0", 81, &SlotRecord::value2, 0},
      {"sfondo uno, 3", 85, &SlotRecord::value1, 3},
      {"sfondo due, 3", 85, &SlotRecord::value3, 3},
      {"sfondo tre, 3", 85, &SlotRecord::value2, 3},
      {"sfondo UNO, 3", 85, &SlotRecord::value1, 0},
      {"sfondo uno due, 3, 4", 85, &SlotRecord::value3, 4},  // one field, two records
      {"ripetizione segnali 4 codici, 1000, 0", 86, &SlotRecord::value3, 0},
      {"ripetizione segnali 4 codici, 1000, 5000", 86, &SlotRecord::value3, 4},
      {"ripetizione segnali 9 codici, 1000, 5000", 86, &SlotRecord::value3, 9},
      {"Ripetizione segnali 9 codici, 1000, 5000", 86, &SlotRecord::value3, 0},
  };
  for (const auto& c : cases) {
    const auto r = compile_line(general({"lunghezza percorso, 1000", c.record}));
    EXPECT_EQ(r.model.slot(c.slot).*c.field, c.expected) << c.record;
  }
}

TEST(LineCompiler, CommentRunsHaveTheirLimits) {
  struct Case {
    std::string text;
    int32_t cell_limit;
    uint8_t gradient_at_500;
  };
  const std::string ten = joined(std::vector<std::string>(10, "-- nota"));
  const Case cases[] = {
      {general({"lunghezza percorso, 1000", ten, "-lunghezza percorso, 2000"}), 180, 100},
      {general({"lunghezza percorso, 1000", ten, "-- nota", "-lunghezza percorso, 2000"}), 160, 100},
      {line_text(1000, {"-- a", "-- b", "-pendenza, 500, 4"}), 160, 104},
      {line_text(1000, {"-- a", "-- b", "-- c", "-pendenza, 500, 4"}), 160, 100},
  };
  for (const auto& c : cases) {
    const auto r = compile_line(c.text);
    EXPECT_EQ(r.model.error_code, 0) << c.text;
    EXPECT_EQ(r.model.cell_limit, c.cell_limit) << c.text;
    EXPECT_EQ(r.model.section(10).gradient_code, c.gradient_at_500) << c.text;
  }
}

TEST(LineCompiler, LastFieldIsNeverInterpreted) {
  const std::string texts[] = {
      "[generale]\r\nlunghezza percorso, 1000\r\nsfondo uno\r\n",
      "[generale]\r\nlunghezza percorso, 1000\r\n[curve]\r\nmontagna\r\n",
      "[generale]\r\nlunghezza percorso, 1000\r\n[curve]\r\n-- nota\r\nmontagna\r\n",
      "xx\r\n[GENERALE]\r\nlunghezza percorso, 1000\r\n[curve]\r\npendenza, 500, 4\r\npendenza\r\n",
  };
  for (const auto& t : texts) {
    const auto r = compile_line(t);
    EXPECT_EQ(r.model.error_code, 0) << t;
    EXPECT_EQ(r.model.cell_limit, 160) << t;
  }
}

TEST(LineCompiler, FaultsStopWithTheirNumberAndPosition) {
  struct Case {
    std::string name;
    std::string text;
    int32_t code;
    int32_t position;
  };
  const std::string length = "lunghezza percorso, 34000";
  const std::string board = "indicatori_vmax, 400, 60, 60, 60, 0, 0, 0, 0, 0";
  const std::string sign = "cartello_indicatore, 400, (X)";
  std::vector<std::string> mountains, signs;
  for (int k = 0; k <= 80; ++k) {
    mountains.push_back("montagna, " + std::to_string(100 * k) + ", " + std::to_string(100 * k + 50) + ", 1");
    signs.push_back("cartello_indicatore, " + std::to_string(400 + 50 * k) + ", (SEGNO)");
  }
  const Case cases[] = {
      {"empty text", "", 102, 0},
      {"no header", "lunghezza percorso, 1000\r\n", 102, 0},
      {"header as the last field", "xx\r\n[generale]\r\n", 102, 0},
      {"length above 1000000", general({"lunghezza percorso, 1000001"}), 1, 0},
      {"length beyond 32 bits", general({"lunghezza percorso, 99999999999"}), 25, 0},
      {"length leaving no sections", general({"lunghezza percorso, -7001"}), 25, 0},
      // Sections 0 and 1 at least: the finishing step marks section 1.
      {"length leaving one section", general({"lunghezza percorso, -7000"}), 25, 0},
      {"length leaving one section, rounded", general({"lunghezza percorso, -6975"}), 25, 0},
      {"cab first position", general({length, "ripetizione segnali 4 codici, 1025, 0"}), 3, 0},
      {"cab second position", general({length, "ripetizione segnali 4 codici, 1000, 5025"}), 4, 0},
      {"cab without 4 or 9", general({length, "ripetizione segnali codici, 0, 0"}), 5, 0},
      {"no length", general({}), kFaultNoLength, 0},
      {"header before the length", "[generale]\r\n[curve]\r\n" + length + "\r\n[fine]\r\n", kFaultNoLength,
       0},
      {"comments past the end", "[generale]\r\n" + length + "\r\n-- a\r\n-- b\r\n", 25, 0},
      {"record cut by the end", "[generale]\r\n" + length + "\r\n[curve]\r\npendenza, 500\r\n", 25, 0},
      {"curve without class", line_text(34000, {"curva, 100, 50"}), 103, 0},
      {"curve of class 7", line_text(34000, {"curvad7, 100, 50"}), 103, 0},
      {"curve past the plot", line_text(34000, {"curvad1, 40000, 1001"}), kFaultCurvePastPlot, 40000},
      {"mountain past the end", line_text(34000, {"montagna, 40000, 41100, 1"}), kFaultMountainPastEnd,
       40000},
      {"mountain before the start", line_text(34000, {"montagna, -100, 100, 1"}), 25, 0},
      {"81 mountains", line_text(34000, {joined(mountains)}), kFaultTooManyMountains, 8000},
      {"81 signs", line_text(34000, {joined(signs)}), kFaultTooManySigns, 4400},
      {"sign on a speed board", line_text(34000, {board, sign}), 6, 400},
      {"speed board on a sign", line_text(34000, {sign, board}), 21, 400},
  };
  for (const auto& c : cases) {
    const auto r = compile_line(c.text);
    EXPECT_EQ(r.model.error_code, c.code) << c.name;
    EXPECT_EQ(r.model.error_position, c.position) << c.name;
    EXPECT_TRUE(r.files.was_deleted(Description::line)) << c.name;
    EXPECT_EQ(r.files.was_deleted(Description::train), c.code == 25) << c.name;
  }
}

TEST(LineCompiler, MissingDescriptionDeletesNothing) {
  const auto r = testing::compile_texts(std::nullopt, kTrain);
  EXPECT_EQ(r.model.error_code, 101);
  EXPECT_TRUE(r.files.deleted.empty());
}

TEST(LineCompiler, OutOfRangeRecordEndsTheReadingAndTheTrainHalfFollows) {
  const std::string records[] = {"pendenza, 40901, 3", "curvad1, 40901, 10", "montagna, 40901, 41000, 1",
                                 "indicatori_vmax, 40901, 60, 60, 60, 0, 0, 0, 0, 0",
                                 "cartello_indicatore, 40901, (X)"};
  for (const auto& record : records) {
    testing::InMemoryDescriptions files;
    files.line = line_text(34000, {"pendenza, 500, 4", record, "cartello_indicatore, 1000, (Y)"});
    files.train = kTrain;
    TrackModel m;
    m.plot_wanted = 1;
    CompileDiagnostics found;
    CompileContext ctx(m, files, found);
    EXPECT_TRUE(compile_line_description(ctx)) << record;
    EXPECT_EQ(m.error_code, 15) << record;
    EXPECT_EQ(m.error_position, 40901) << record;
    EXPECT_EQ(m.section(21).kind, kKindNone) << record;  // the record after it is not read
    EXPECT_EQ(m.section(817).gradient_code, 104) << record;
    EXPECT_TRUE(std::holds_alternative<double>(m.plot(40998, 0))) << record;
    EXPECT_TRUE(files.was_deleted(Description::line)) << record;
    EXPECT_FALSE(files.was_deleted(Description::train)) << record;
  }
}

TEST(LineCompiler, GradientsFillTheSectionsBeforeEachRecord) {
  // cell_limit 160: the fill ends at section 157.
  const auto r =
      compile_line(line_text(1000, {"pendenza, 500, 4", "pendenza, 500, 6", "pendenza, 1000, -3"}));
  const auto at_zero = compile_line(line_text(1000, {"pendenza, 0, 2", "pendenza, 500, 4"}));
  for (int i = 0; i <= 160; ++i) {
    const int expected = i < 10 ? 100 : i == 10 ? 104 : i < 20 ? 106 : i <= 157 ? 97 : 0;
    EXPECT_EQ(r.model.section(i).gradient_code, expected) << i;
    EXPECT_EQ(at_zero.model.section(i).gradient_code, i < 10 ? 102 : i <= 157 ? 104 : 0) << i;
  }
}

TEST(LineCompiler, SignTextEndsAtAComma) {
  const auto r = compile_line(line_text(1000, {"cartello_indicatore, 400, (A, pendenza, 500, 4"}));
  EXPECT_EQ(r.model.slot(80).text, "(A");
  EXPECT_EQ(r.model.section(10).gradient_code, 104);
}

// Direction of the step that ends at metre p, in radians clockwise from +y.
double heading(const TrackModel& m, int64_t p) {
  return std::atan2(px(m, p, 0) - px(m, p - 1, 0), px(m, p, 1) - px(m, p - 1, 1));
}

TEST(LineCompiler, CurvesTurnByTheirClassAndSide) {
  struct Case {
    std::string keyword;
    double curvature;
  };
  const Case cases[] = {{"curvad1", 0.0001}, {"curvas2", -0.0002}, {"curvaS3", -0.0004}, {"CURVAD4", 0.001},
                        {"curvad5", 0.002},  {"curvad6", 0.003},   {"curvad52", 0.0002}};
  for (const auto& c : cases) {
    const auto r = compile_line(line_text(1000, {c.keyword + ", 100, 100"}));
    EXPECT_EQ(px(r.model, 100, 0), 0.0) << c.keyword;  // straight up to the start
    EXPECT_EQ(px(r.model, 100, 1), 100.0) << c.keyword;
    EXPECT_NEAR(heading(r.model, 200), 100 * c.curvature, 1e-5) << c.keyword;
    EXPECT_NEAR(heading(r.model, 7998), 100 * c.curvature, 1e-5) << c.keyword;  // straight after the end
  }
}

TEST(LineCompiler, CurvesContinueFromThePlotIndex) {
  struct Case {
    std::vector<std::string> split, whole;
  };
  const Case cases[] = {
      {{"curvas3, 50, 100", "curvas3, 150, 100"}, {"curvas3, 50, 200"}},  // no straight point between
      {{"curvad4, 100, 50", "curvad4, 120, 50"}, {"curvad4, 100, 70"}},   // a start behind the index
  };
  for (const auto& c : cases) {
    const auto split = compile_line(line_text(1000, {joined(c.split)}));
    const auto whole = compile_line(line_text(1000, {joined(c.whole)}));
    EXPECT_EQ(split.model.route_plot.values(), whole.model.route_plot.values()) << joined(c.split);
  }
}

TEST(LineCompiler, CurvesAreIgnoredWithoutThePlot) {
  const auto r = compile_line(line_text(1000, {"curva, 100, 50"}), 0);
  EXPECT_EQ(r.model.error_code, 0);
  EXPECT_FALSE(r.model.plot_created);
}

TEST(LineCompiler, LongestLineAndThePlotLimit) {
  const auto ends_before = compile_line(line_text(1000000, {"curvad1, 999950, 49"}));
  EXPECT_EQ(ends_before.model.error_code, 0);
  EXPECT_EQ(ends_before.model.cell_limit, 20140);
  EXPECT_TRUE(std::holds_alternative<double>(ends_before.model.plot(1006998, 1)));
  EXPECT_TRUE(std::holds_alternative<std::monostate>(ends_before.model.plot(1006999, 1)));
  const auto passes = compile_line(line_text(1000000, {"curvad1, 999950, 50"}));
  EXPECT_EQ(passes.model.error_code, 103);
  EXPECT_TRUE(std::holds_alternative<double>(passes.model.plot(1000000, 1)));
}

}  // namespace
}  // namespace compactor
