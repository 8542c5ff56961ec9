// Formatting changes no value: every example, every input of the fuzz corpus and the 1000 km
// line compile to the same bytes before and after it; it changes nothing but spaces (so every
// comment stays), and a second formatting changes nothing more.
#include "lsp/formatting.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "bench/long_scenario.h"
#include "output/memorizza_percorso.h"
#include "session/pack.h"
#include "sources/text_writer.h"
#include "testing/memory_scenario_io.h"

namespace compactor::lsp {
namespace {

std::string read_file(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The compiled files of a pair, as the program writes them, in the order written.
std::string compiled(const std::string& line, const std::string& train) {
  TrackModel model;
  model.line_name = "L";
  model.train_number = "1";
  testing::MemoryScenarioIo io;
  io.descriptions.line = line;
  io.descriptions.train = train;
  memorizza_percorso(model, 1, io);
  std::string all;
  for (const std::string& name : io.sink.order) all += name + '\0' + io.sink.files.at(name) + '\0';
  return all;
}

std::string without_spaces(std::string text) {
  std::erase(text, ' ');
  return text;
}

struct Pair {
  std::string name;
  std::string line;
  std::string train;
};

std::vector<Pair> every_pair() {
  std::vector<Pair> pairs;
  for (const auto* folder : {EXAMPLES_DIR, SCENARIOS_DIR})
    for (const auto& pack : std::filesystem::directory_iterator(folder)) {
      if (!std::filesystem::exists(pack.path() / "scenario.json")) continue;
      std::string problems;
      CompileRequest request;
      EXPECT_TRUE(pack_request(pack.path(), request, problems)) << problems;
      pairs.push_back({pack.path().filename().string(), *request.line_text, *request.train_text});
    }
  for (const auto& input : std::filesystem::directory_iterator(FUZZ_CORPUS_DIR)) {
    const std::string bytes = read_file(input.path());
    const size_t at = bytes.find("\n@@@@\n");
    pairs.push_back({"fuzz/" + input.path().filename().string(), bytes.substr(0, at),
                     at == std::string::npos ? std::string() : bytes.substr(at + 6)});
  }
  const bench::LongScenario s = bench::long_scenario();
  pairs.push_back({"1000 km line", render_line_table(s.line), render_line_table(s.train)});
  return pairs;
}

TEST(Formatting, ChangesNoCompiledByteNorAnythingButSpacesAndIsDoneOnce) {
  int changed = 0;
  for (const Pair& p : every_pair()) {
    const std::string line = format_description(p.line, Format::line);
    const std::string train = format_description(p.train, Format::train);
    changed += (line != p.line) + (train != p.train);
    EXPECT_EQ(compiled(line, train), compiled(p.line, p.train)) << p.name;
    EXPECT_EQ(without_spaces(line), without_spaces(p.line)) << p.name;
    EXPECT_EQ(without_spaces(train), without_spaces(p.train)) << p.name;
    EXPECT_EQ(format_description(line, Format::line), line) << p.name;
    EXPECT_EQ(format_description(train, Format::train), train) << p.name;
  }
  EXPECT_GT(changed, 10);  // the corpus is not all formatted already
}

TEST(Formatting, AlignsRecordsOfAKindInColumnsAsTheExamplesDo) {
  const std::string before =
      "[stazioni]\r\n"
      "-- position kind length, and so on\r\n"
      "stazione,300,12,400,1,0,0,4,1,0,2,1,1,1,6,46,0,VALLE\r\n"
      "  stazione, 11500, 22, 600, 0, 0, 1, 0,0,0, 4,1,1, 0, 7, 0, 0, SAN PIETRO\r\n"
      "[segnali]\r\n"
      "segnale, 2500, 1, 5, 6, 0, 0, 0, 0,0,0, 0\r\n"
      "segnale,   18500,   2, 2, 3,  1, 0,    2,  2,1,1, 120\r\n"
      "segnale, 300, 1, 5 6, 0, 0, 0, 0,0,0, 0\r\n";
  const std::string after =
      "[stazioni]\r\n"
      "-- position kind length, and so on\r\n"
      "stazione,     300, 12,  400,  1, 0, 0,  4,1,0,  2,1,1,    1,   6,46, 0, VALLE\r\n"
      "stazione,   11500, 22,  600,  0, 0, 1,  0,0,0,  4,1,1,    0,   7, 0, 0, SAN PIETRO\r\n"
      "[segnali]\r\n"
      "segnale,    2500,   1, 5, 6,  0, 0,    0,  0,0,0,   0\r\n"
      "segnale,   18500,   2, 2, 3,  1, 0,    2,  2,1,1, 120\r\n"
      "segnale, 300, 1, 5 6, 0, 0, 0, 0,0,0, 0\r\n";  // "5 6": two numbers, left as they stand
  EXPECT_EQ(format_description(before, Format::train), after);
}

}  // namespace
}  // namespace compactor::lsp
