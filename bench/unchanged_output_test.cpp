// The compiled bytes are pinned: the embedded scenario, the generated 1000 km line and
// every input of the fuzz corpus must give exactly the files they gave when the route
// plot was still held whole in memory. Each case folds the names and bytes of the
// files written, in their order, into one FNV-1a checksum.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "bench/long_scenario.h"
#include "output/memorizza_percorso.h"
#include "testing/memory_scenario_io.h"
#include "sources/line_content.h"
#include "sources/text_writer.h"
#include "sources/train_content.h"

namespace compactor {
namespace {

struct Fnv1a {
  uint64_t h = 14695981039346656037ull;
  void add(std::string_view bytes) {
    for (const char c : bytes) h = (h ^ static_cast<uint8_t>(c)) * 1099511628211ull;
  }
};

// Compiles the two texts as the program does (j = 1) and folds what was written.
uint64_t written_checksum(Fnv1a& f, const std::string& line, const std::string& train, const std::string& line_name,
                          const std::string& train_number) {
  TrackModel model;
  model.line_name = line_name;
  model.train_number = train_number;
  testing::MemoryScenarioIo io;
  io.descriptions.line = line;
  io.descriptions.train = train;
  memorizza_percorso(model, 1, io);
  for (const std::string& name : io.sink.order) {
    f.add(name);
    f.add(io.sink.files.at(name));
  }
  return f.h;
}

std::string rendered(const std::vector<std::string>& lines) { return render_line_table(lines); }

TEST(UnchangedOutput, EmbeddedScenario) {
  Fnv1a f;
  EXPECT_EQ(written_checksum(f, render_line_table(fill_line_table(line_content())),
                             render_line_table(fill_line_table(train_content())), "Rovella_Tirsa", "7162"),
            0xe291bf993b5283faull);
}

TEST(UnchangedOutput, GeneratedThousandKilometreLine) {
  const bench::LongScenario s = bench::long_scenario();
  Fnv1a f;
  EXPECT_EQ(written_checksum(f, rendered(s.line), rendered(s.train), "Lunga_Linea", "1000"), 0x03f8320d1ae31684ull);
}

// Every input of the corpus named in corpus_checksums.txt, split as the fuzz target
// splits it, compiled with line "L" and train "1". Inputs added later are not pinned.
TEST(UnchangedOutput, FuzzCorpus) {
  std::ifstream list(CORPUS_CHECKSUMS);
  ASSERT_TRUE(list) << CORPUS_CHECKSUMS;
  std::string name;
  std::string hex;
  int checked = 0;
  while (list >> name >> hex) {
    std::ifstream in(std::filesystem::path(FUZZ_CORPUS_DIR) / name, std::ios::binary);
    ASSERT_TRUE(in) << name;
    const std::string input((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::string marker = "\n@@@@\n";
    const size_t at = input.find(marker);
    const std::string line = input.substr(0, at);
    const std::string train = at == std::string::npos ? std::string() : input.substr(at + marker.size());
    Fnv1a f;
    EXPECT_EQ(written_checksum(f, line, train, "L", "1"), std::stoull(hex, nullptr, 16)) << name;
    ++checked;
  }
  EXPECT_GE(checked, 100);
}

}  // namespace
}  // namespace compactor

// Writes the table that FuzzCorpus reads: scenario_output_tests --print-corpus-checksums DIR
int main(int argc, char** argv) {
  if (argc == 3 && std::string(argv[1]) == "--print-corpus-checksums") {
    std::vector<std::filesystem::path> inputs;
    for (const auto& e : std::filesystem::directory_iterator(argv[2]))
      if (e.is_regular_file()) inputs.push_back(e.path());
    std::sort(inputs.begin(), inputs.end());
    for (const auto& path : inputs) {
      std::ifstream in(path, std::ios::binary);
      const std::string input((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
      const size_t at = input.find("\n@@@@\n");
      const std::string train = at == std::string::npos ? std::string() : input.substr(at + 6);
      compactor::Fnv1a f;
      std::printf("%s %016llx\n", path.filename().string().c_str(),
                  static_cast<unsigned long long>(compactor::written_checksum(f, input.substr(0, at), train, "L", "1")));
    }
    return 0;
  }
  ::testing::InitGoogleTest(&argc, argv);
  return RUN_ALL_TESTS();
}
