#include "output/memorizza_percorso.h"

#include <gtest/gtest.h>

#include "output/compiled_files.h"
#include "testing/memory_scenario_io.h"
#include "sources/line_content.h"
#include "sources/text_writer.h"
#include "sources/train_content.h"

namespace compactor {
namespace {

using testing::line_text;
using testing::MemoryScenarioIo;
using testing::train_text;

std::string rendered(std::span<const std::string_view> lines) {
  return render_line_table(fill_line_table(lines));
}

struct Finished {
  TrackModel model;
  MemoryScenarioIo io;
  PercorsoOutcome outcome;
};

Finished run(std::optional<std::string> line, std::optional<std::string> train, int32_t j = 1,
             std::string line_name = "Rovella_Tirsa", std::string train_number = "7162") {
  Finished r;
  r.model.line_name = std::move(line_name);
  r.model.train_number = std::move(train_number);
  r.model.error_code = 99;  // the step starts from 0 whatever was there
  r.io.descriptions.line = std::move(line);
  r.io.descriptions.train = std::move(train);
  r.outcome = memorizza_percorso(r.model, j, r.io);
  return r;
}

uint16_t u16_at(const std::string& bytes, size_t offset) {
  return static_cast<uint16_t>(static_cast<uint8_t>(bytes[offset]) |
                               (static_cast<uint8_t>(bytes[offset + 1]) << 8));
}

TEST(MemorizzaPercorso, EmbeddedScenarioWritesThreeFilesWithMarkersAndCodes) {
  Finished r = run(rendered(line_content()), rendered(train_content()));
  EXPECT_EQ(r.outcome.fault_code, 0);
  EXPECT_TRUE(r.outcome.conflicts.empty());
  EXPECT_TRUE(r.io.errors.empty());
  EXPECT_TRUE(r.io.descriptions.was_deleted(Description::line));
  EXPECT_TRUE(r.io.descriptions.was_deleted(Description::train));
  const std::vector<std::string> order = {"Rovella_Tirsa_linea.dat", "Rovella_Tirsa_7162.sim",
                                          "Rovella_Tirsa_7162.dat"};
  EXPECT_EQ(r.io.sink.order, order);
  EXPECT_EQ(r.outcome.files, order);
  const std::string& dat = r.io.sink.files.at("Rovella_Tirsa_7162.dat");
  const std::string& plot = r.io.sink.files.at("Rovella_Tirsa_linea.dat");
  EXPECT_EQ(dat.size(), 12315u);
  EXPECT_EQ(plot.size(), 819964u);
  // Section 1: 5121 at offsets 16 and 17 (01 14), the plain code at 18 and 19.
  EXPECT_EQ(static_cast<uint8_t>(dat[16]), 0x01);
  EXPECT_EQ(static_cast<uint8_t>(dat[17]), 0x14);
  EXPECT_EQ(u16_at(dat, 18), 2523);
  const auto slots = decode_slots(r.io.sink.files.at("Rovella_Tirsa_7162.sim"));
  EXPECT_EQ(slots[85].short1, 610);
  EXPECT_EQ(slots[85].value4, 35535);
  EXPECT_EQ(slots[85].text, "Rovella_Tirsa");
  EXPECT_EQ(slots[86].text, "7162");
  EXPECT_EQ(r.outcome.plain_code, 2523);
  EXPECT_EQ(r.outcome.weighted_code, 35535);
}

TEST(MemorizzaPercorso, WithoutThePlotOnlySlotsAndSectionsAreWritten) {
  Finished r = run(rendered(line_content()), rendered(train_content()), 0);
  EXPECT_EQ(r.io.sink.order, (std::vector<std::string>{"Rovella_Tirsa_7162.sim", "Rovella_Tirsa_7162.dat"}));
  EXPECT_FALSE(r.model.plot_created);
  EXPECT_EQ(r.model.plot_wanted, 0);
}

TEST(MemorizzaPercorso, TakenReservedPlacesCallErroreBeforeAnyFile) {
  struct Case {
    const char* what;
    std::string line, train;
    std::string errore;
  };
  const Case cases[] = {
      {"sign board at position 0 takes section 1 data1", line_text(3000, {"cartello_indicatore, 0, (PROVA)"}),
       train_text({}), "1250"},
      {"abbattimento point at section 1", line_text(3000, {}), train_text({"abbattimento, 50, 9"}), "1250"},
      {"slow-down start at 0 with speed 0 takes only section 1 data2", line_text(3000, {}),
       train_text({"rallentamento, 0, 0, 100, 0, 0, 5"}), "1251"},
  };
  for (const auto& c : cases) {
    Finished r = run(c.line, c.train);
    EXPECT_EQ(r.io.errors, std::vector<std::string>{c.errore}) << c.what;
    EXPECT_EQ(r.outcome.errore, c.errore) << c.what;
    EXPECT_TRUE(r.io.sink.files.empty()) << c.what;
    EXPECT_FALSE(r.outcome.plain_code.has_value()) << c.what;
  }
}

TEST(MemorizzaPercorso, FaultWithSectionsStillWritesTheModelAsFarAsItGot) {
  // A station at 6820 is fault 8: the train half stops, the files are still written.
  Finished r =
      run(line_text(10000, {}), train_text({"stazione, 6820, 12, 500, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, X"}));
  EXPECT_EQ(r.outcome.fault_code, 8);
  EXPECT_EQ(r.outcome.fault_position, 6820);
  EXPECT_EQ(r.io.sink.files.size(), 3u);
}

TEST(MemorizzaPercorso, NoSectionArrayMeansNoFile) {
  struct Case {
    std::optional<std::string> line;
    int32_t fault;
  };
  const Case cases[] = {
      {std::nullopt, 101},
      {std::string("no header here\r\n"), 102},
      {std::string("[generale]\r\n[curve]\r\npendenza, 0, 0\r\n[fine]\r\n"), 104},
  };
  for (const auto& c : cases) {
    Finished r = run(c.line, train_text({}));
    EXPECT_EQ(r.outcome.fault_code, c.fault);
    EXPECT_FALSE(r.outcome.sections_created);
    EXPECT_TRUE(r.io.sink.files.empty());
    EXPECT_TRUE(r.io.errors.empty());
  }
}

// Each value of the route plot is computed once, as its file is written, and none is
// computed when no plot file is written.
TEST(MemorizzaPercorso, EveryPlotValueIsComputedOnceOrNeverWithoutItsFile) {
  struct Case {
    const char* what;
    std::string line, train;
    int32_t j;
    bool written;
  };
  const Case cases[] = {
      {"the embedded scenario", rendered(line_content()), rendered(train_content()), 1, true},
      {"curves, then a fault in the train half", line_text(10000, {"curvad3, 1000, 400", "curvas1, 1400, 50"}),
       train_text({"stazione, 6820, 12, 500, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, X"}), 1, true},
      {"no plot wanted", rendered(line_content()), rendered(train_content()), 0, false},
      {"a reserved place taken", line_text(3000, {"curvad3, 100, 400", "cartello_indicatore, 0, (PROVA)"}),
       train_text({}), 1, false},
  };
  for (const Case& c : cases) {
    const uint64_t before = plot_points_computed();
    Finished r = run(c.line, c.train, c.j);
    const uint64_t computed = plot_points_computed() - before;
    EXPECT_EQ(r.io.sink.files.count("Rovella_Tirsa_linea.dat"), c.written ? 1u : 0u) << c.what;
    EXPECT_EQ(computed, c.written ? static_cast<uint64_t>(r.model.route_plot.next() - 2) : 0u) << c.what;
    if (c.written) {
      EXPECT_GT(computed, 10000u) << c.what;
    }
  }
}

TEST(MemorizzaPercorso, SlotsAreClearedBeforeCompiling) {
  Finished r;
  r.model.line_name = "L";
  r.model.train_number = "1";
  r.model.slots[40].text = "left over";
  r.model.slots[85].short1 = 610;  // would otherwise be errore 1250
  r.io.descriptions.line = line_text(1000, {});
  r.io.descriptions.train = train_text({});
  r.outcome = memorizza_percorso(r.model, 1, r.io);
  EXPECT_TRUE(r.io.errors.empty());
  EXPECT_EQ(r.model.slots[40].text, "");
}

}  // namespace
}  // namespace compactor
