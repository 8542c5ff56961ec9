// Each example pack compiled with scenario-compile under its own identity and read back
// with scenario-inspect: it compiles with no fault and no warning, --check passes, and
// the decoded model holds the figures the example's descriptions and README give.
#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>

#include "testing/process.h"
#include "testing/temp_folder.h"
#include <fstream>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;
using Json = nlohmann::json;

using Outcome = compactor::testing::ProcessResult;
using compactor::testing::read_file;

Outcome run_in(const fs::path& dir, const std::vector<std::string>& argv) {
  return compactor::testing::run_process(argv, dir);
}

// What an example's compiled model must hold.
struct Figures {
  const char* folder;
  int length;
  std::vector<std::pair<std::string, int>> stations;  // name and position, in slot order
  std::map<std::string, int> kinds;                   // sections of each kind name
  int clock[3];
  int cab[3];                         // first, second, codes
  int lowest_mountain_type3_section;  // -1 when no section is of type 3
  double net_turn;                    // radians the route plan turns, right positive
};

const Figures kExamples[] = {
    {"first-line",
     10000,
     {{"PRIMA", 300}, {"SECONDA", 9000}},
     {{"signal", 1},
      {"sign board", 1},
      {"station end", 2},
      {"slow-down start", 0},
      {"abbattimento", 0},
      {"speed board", 0},
      {"tunnel marker", 0}},
     {7, 15, 0},
     {0, 0, 0},
     -1,
     500 * 0.0004},
    {"valle-dorana",
     20000,
     {{"VALLE", 300},
      {"DORANA", 6500},
      {"SAN PIETRO", 11500},
      {"BIVIO DEL TORRENTE", 15000},
      {"TIRSO ALTO", 19500}},
     {{"signal", 8},
      {"sign board", 5},
      {"station end", 4},
      {"slow-down start", 2},
      {"slow-down end", 2},
      {"slow-down warning", 2},
      {"slow-down approach", 4},
      {"abbattimento", 12},
      {"bare abbattimento", 1},
      {"speed board", 4},
      {"tunnel marker", 11}},
     {6, 45, 0},
     {1000, 18000, 4},
     107,
     // right: 300 x 0.0004, 250 x 0.002, 1000 x 0.0001, 300 x 0.001, 500 x 0.0002;
     // left: 400 x 0.0002, 200 x 0.001, 800 x 0.0002, 400 x 0.0004, 150 x 0.003
     (0.12 + 0.5 + 0.1 + 0.3 + 0.1) - (0.08 + 0.2 + 0.16 + 0.16 + 0.45)},
};

// Test names show the example's folder, not the bytes of its figures.
void PrintTo(const Figures& f, std::ostream* os) { *os << f.folder; }

class Example : public ::testing::TestWithParam<Figures> {
 protected:
  void SetUp() override {
    dir_ = folder_.path();
    pack_ = fs::path(EXAMPLES_DIR) / GetParam().folder;
    identity_ = Json::parse(read_file(pack_ / "scenario.json"));
    line_ = identity_["line_name"].get<std::string>();
    train_ = identity_["train_number"].get<std::string>();
  }

  Outcome compile() {
    return run_in(dir_, {COMPILE_PROGRAM, "--line-name", line_, "--train-number", train_, "--out", ".",
                         (pack_ / "line.txt").string(), (pack_ / "train.txt").string()});
  }
  Outcome inspect(const std::string& option) {
    return run_in(dir_, {INSPECT_PROGRAM, option, line_ + "_" + train_ + ".dat", line_ + "_" + train_ + ".sim",
                         line_ + "_linea.dat"});
  }

  compactor::testing::TempFolder folder_{"example"};
  fs::path dir_, pack_;
  Json identity_;
  std::string line_, train_;
};

TEST_P(Example, PackHasItsFilesInPlainText) {
  for (const char* name : {"scenario.json", "line.txt", "train.txt", "scheda_treno.txt", "rallentamenti.txt",
                           "note.txt", "README.md"}) {
    ASSERT_TRUE(fs::exists(pack_ / name)) << name;
    const std::string text = read_file(pack_ / name);
    for (unsigned char c : text) {
      ASSERT_TRUE(c == '\n' || (c >= 0x20 && c < 0x7F)) << name << ": byte " << int(c);
    }
  }
  EXPECT_EQ(identity_["encoding"], "utf-8");
  EXPECT_TRUE(identity_.value("accepted_warnings", Json::array()).empty());
}

TEST_P(Example, CompilesWithNoFaultAndNoWarning) {
  const Outcome r = compile();
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err.find("warning"), std::string::npos) << r.err;
  EXPECT_EQ(r.err.find("error"), std::string::npos) << r.err;
  for (const std::string& name :
       {line_ + "_linea.dat", line_ + "_" + train_ + ".sim", line_ + "_" + train_ + ".dat"})
    EXPECT_TRUE(fs::exists(dir_ / name)) << name;
}

TEST_P(Example, CheckPasses) {
  ASSERT_EQ(compile().status, 0);
  const Outcome r = inspect("--check");
  EXPECT_EQ(r.status, 0) << r.out << r.err;
  EXPECT_NE(r.out.find("\ncheck passed\n"), std::string::npos) << r.out;
}

TEST_P(Example, DecodedModelHoldsTheKeyFigures) {
  const Figures& f = GetParam();
  ASSERT_EQ(compile().status, 0);
  const Outcome r = inspect("--json");
  ASSERT_EQ(r.status, 0) << r.err;
  const Json j = Json::parse(r.out);
  EXPECT_EQ(j["line_name"], line_);
  EXPECT_EQ(j["train_number"], train_);
  const Json& sections = j["sections"];
  const Json& slots = j["slots"];
  EXPECT_EQ(sections.size(), static_cast<size_t>((f.length + 7000) / 50 + 1));
  EXPECT_EQ(slots[84]["value2"], f.length);

  for (size_t k = 0; k < f.stations.size(); ++k) {
    EXPECT_EQ(slots[k + 1]["text"], f.stations[k].first) << k + 1;
    EXPECT_EQ(slots[k + 1]["value3"], f.stations[k].second) << f.stations[k].first;
  }
  EXPECT_EQ(slots[f.stations.size() + 1]["role"], slots[0]["role"]) << "no station after the last";

  std::map<std::string, int> counted;
  int lowest_type3 = -1;
  for (const Json& s : sections) {
    counted[s["kind_name"].get<std::string>()] += 1;
    if (s["mountain_type"] == 3 && lowest_type3 < 0) lowest_type3 = s["index"];
  }
  for (const auto& [kind, n] : f.kinds) EXPECT_EQ(counted[kind], n) << kind;
  EXPECT_EQ(lowest_type3, f.lowest_mountain_type3_section);

  EXPECT_EQ(slots[86]["short3"], f.clock[0]);
  EXPECT_EQ(slots[86]["short4"], f.clock[1]);
  EXPECT_EQ(slots[86]["short5"], f.clock[2]);
  EXPECT_EQ(slots[86]["value1"], f.cab[0]);
  EXPECT_EQ(slots[86]["value2"], f.cab[1]);
  EXPECT_EQ(slots[86]["value3"], f.cab[2]);

  // The heading of the last step of the plan, measured from +y, is the curves' net turn.
  const Json& x = j["route_plot"]["x"];
  const Json& y = j["route_plot"]["y"];
  ASSERT_EQ(x.size(), static_cast<size_t>(f.length + 7001));
  EXPECT_TRUE(x[x.size() - 1].is_null());
  const size_t last = x.size() - 3;
  const double dx = x[last].get<double>() - x[last - 1].get<double>();
  const double dy = y[last].get<double>() - y[last - 1].get<double>();
  EXPECT_NEAR(std::atan2(dx, dy), f.net_turn, 1e-3);
}

// The first code block after a heading of a page in docs/.
std::string doc_block(const std::string& page, const std::string& heading) {
  const std::string text = read_file(fs::path(EXAMPLES_DIR) / ".." / "docs" / page);
  const size_t at = text.find("\n## " + heading + "\n");
  if (at == std::string::npos) return "";
  const size_t open = text.find("```\n", at);
  const size_t close = text.find("\n```", open + 4);
  if (open == std::string::npos || close == std::string::npos) return "";
  return text.substr(open + 4, close - open - 3);
}

TEST(DocsExample, TheMinimalPairOfTheDocsCompilesWithNoWarning) {
  const compactor::testing::TempFolder folder("docs-example");
  const fs::path dir = folder.path();
  const std::string line = doc_block("line-description.md", "A minimal line");
  const std::string train = doc_block("train-description.md", "A minimal train");
  ASSERT_NE(line.find("[generale]"), std::string::npos);
  ASSERT_NE(train.find("[generale]"), std::string::npos);
  std::ofstream(dir / "line.txt", std::ios::binary) << line;
  std::ofstream(dir / "train.txt", std::ios::binary) << train;
  const Outcome r = run_in(dir, {COMPILE_PROGRAM, "--line-name", "Minima", "--train-number", "1", "--out", ".",
                                 "line.txt", "train.txt"});
  EXPECT_EQ(r.status, 0) << r.err;
  EXPECT_EQ(r.err.find("warning"), std::string::npos) << r.err;
}

INSTANTIATE_TEST_SUITE_P(Examples, Example, ::testing::ValuesIn(kExamples),
                         [](const ::testing::TestParamInfo<Figures>& info) {
                           std::string name = info.param.folder;
                           for (char& c : name)
                             if (c == '-') c = '_';
                           return name;
                         });

}  // namespace
