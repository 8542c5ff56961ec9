#include "session/compile_pair.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "output/compiled_files.h"
#include "platform/env.h"
#include "reader/reader_decode.h"
#include "reader/reader_svg.h"
#include "sources/line_content.h"
#include "sources/memory_sink.h"
#include "sources/text_writer.h"
#include "sources/train_content.h"
#include "testing/temp_folder.h"

namespace compactor {
namespace {

TEST(IdentityProblem, NamesThatCannotNameFilesSafelyAreRefused) {
  struct Case {
    std::string name;
    bool refused;
  };
  const Case cases[] = {
      {"Rovella_Tirsa", false},
      {"7162", false},
      {"Citt\xC3\xA0 Alta", false},   // "Città Alta": à is a Windows-1252 byte
      {"Linea \xE2\x82\xAC", false},  // the euro sign is 0x80 in Windows-1252
      {"", true},
      {"../x", true},
      {"a/b", true},
      {"a\\b", true},
      {"..", true},
      {"a..b", true},
      {"x\ty", true},
      {"x\ny", true},
      {"x\x7Fy", true},
      {"\xC2\x81", true},      // U+0081 is a control character
      {"\xE6\x97\xA5", true},  // a CJK character
      {"\xFF", true},          // not UTF-8 at all
  };
  for (const auto& c : cases)
    EXPECT_EQ(identity_problem(c.name).has_value(), c.refused) << "name: " << c.name;
}

TEST(FormatSummary, CountsErrorsWarningsAndFiles) {
  EXPECT_EQ(format_summary(0, 0, 3), "compiled: 3 files written\n");
  EXPECT_EQ(format_summary(0, 1, 2), "compiled, 1 warning: 2 files written\n");
  EXPECT_EQ(format_summary(1, 2, 0), "1 error, 2 warnings; nothing written\n");
  EXPECT_EQ(format_summary(2, 0, 0), "2 errors; nothing written\n");
  EXPECT_EQ(format_summary(1, 0, 1), "1 error; 1 file written\n");
}

// The scenario's own pair, written to memory as the program writes it.
CompileRequest embedded_pair(const std::filesystem::path& out) {
  MemorySink texts;
  write_fixed_text(texts, "line.txt", line_content());
  write_fixed_text(texts, "train.txt", train_content());
  CompileRequest request;
  request.line_description = "line.txt";
  request.train_description = "train.txt";
  request.line_name = "Rovella_Tirsa";
  request.train_number = "7162";
  request.out_dir = out;
  request.line_text = texts.files.at("line.txt");
  request.train_text = texts.files.at("train.txt");
  return request;
}

// A front that keeps the compiled files (the page): they go to its sink, no folder is made,
// the bytes are those written into a folder, the compiled model's plot makes the plot's
// bytes again, and the model draws the picture that the files read back draw.
TEST(CompileToSink, KeepsTheFolderOutAndTheModelMatchesTheFiles) {
  testing::TempFolder work;
  const CompileReport on_disk = compile_pair(embedded_pair(work.path()));
  ASSERT_EQ(on_disk.exit_status, kExitBuilt) << on_disk.diagnostics;

  CompileRequest request = embedded_pair(work.path() / "never");
  MemorySink sink;
  TrackModel model;
  request.sink = &sink;
  request.compiled = &model;
  const CompileReport in_memory = compile_pair(request);
  ASSERT_EQ(in_memory.exit_status, kExitBuilt) << in_memory.diagnostics;
  EXPECT_EQ(in_memory.written, on_disk.written);
  EXPECT_FALSE(std::filesystem::exists(work.path() / "never"));
  for (const std::string& name : on_disk.written)
    EXPECT_TRUE(sink.files.at(name) == testing::read_file(work.path() / name)) << name;
  const std::string plot = testing::read_file(work.path() / "Rovella_Tirsa_linea.dat");
  EXPECT_TRUE(encode_route_plot(model.route_plot) == plot);
  const TrackModel read_back =
      inspect::decode_scenario(sink.files.at("Rovella_Tirsa_7162.dat"), "dat", sink.files.at("Rovella_Tirsa_7162.sim"),
                               "sim", plot, "plot");
  EXPECT_EQ(inspect::scenario_svg(model), inspect::scenario_svg(read_back));
}

class CompiledSet : public ::testing::Test {
 protected:
  void SetUp() override {
    for (const char* name : kNames) std::ofstream(work / name) << "old " << name;
  }
  void TearDown() override { set_write_fault_injection({}); }
  std::string read(const std::string& name) const { return testing::read_file(work / name); }
  // Every name in the folder, the temporaries included.
  size_t entries() const {
    size_t n = 0;
    for ([[maybe_unused]] const auto& e : std::filesystem::directory_iterator(work.path())) ++n;
    return n;
  }
  static constexpr const char* kNames[] = {"Rovella_Tirsa_linea.dat", "Rovella_Tirsa_7162.sim",
                                           "Rovella_Tirsa_7162.dat"};
  testing::TempFolder work;
};

// The three compiled files change together: a failure while any of them is written
// leaves every old file as it was and no temporary behind.
TEST_F(CompiledSet, AFailedWriteOfAnyFileLeavesTheOldSetWhole) {
  using Step = WriteFaultInjection::Step;
  for (const Step step : {Step::open, Step::write}) {
    for (int file = 1; file <= 3; ++file) {
      set_write_fault_injection({step, file, true});
      const CompileReport report = compile_pair(embedded_pair(work.path()));
      EXPECT_EQ(report.exit_status, kExitFileError) << "file " << file;
      ASSERT_TRUE(report.file_problem) << "file " << file;
      EXPECT_EQ(std::filesystem::path(report.file_problem->file).filename(), kNames[file - 1]);
      EXPECT_TRUE(report.written.empty());
      EXPECT_TRUE(report.diagnostics.ends_with("1 error; nothing written\n")) << report.diagnostics;
      for (const char* name : kNames) EXPECT_TRUE(read(name) == std::string("old ") + name) << name << ", file " << file;
      EXPECT_EQ(entries(), 3u) << "file " << file;
    }
  }
}

// A rename that fails puts the files renamed before it back: the message names the
// failed file, nothing is reported written, every file keeps its old bytes, no temporary stays.
TEST_F(CompiledSet, AFailedRenameKeepsTheEarlierSet) {
  for (int file = 1; file <= 3; ++file) {
    SetUp();
    set_write_fault_injection({WriteFaultInjection::Step::rename, file, false});
    const CompileReport report = compile_pair(embedded_pair(work.path()));
    EXPECT_EQ(report.exit_status, kExitFileError);
    ASSERT_TRUE(report.file_problem);
    EXPECT_EQ(std::filesystem::path(report.file_problem->file).filename(), kNames[file - 1]);
    EXPECT_TRUE(report.written.empty());
    for (int k = 0; k < 3; ++k) EXPECT_EQ(read(kNames[k]), std::string("old ") + kNames[k]) << kNames[k];
    EXPECT_EQ(entries(), 3u);
  }
}

}  // namespace
}  // namespace compactor
