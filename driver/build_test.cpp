// The build with descriptions that hold a fault: the compiled files are written as far as
// compiling got (when there is a section array), then the fault is reported on standard
// error as one line and the build ends with status 3.
#include "driver/build.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <vector>

#include "driver/progress_window.h"
#include "platform/env.h"
#include "sources/line_content.h"
#include "sources/train_content.h"
#include "testing/temp_folder.h"

namespace compactor {
namespace {

namespace fs = std::filesystem;

struct Outcome {
  int status;
  std::string stderr_text;
  std::vector<std::string> files;
};

Outcome build_in_temp(std::span<const std::string_view> line, std::span<const std::string_view> train) {
  const testing::TempFolder folder("build-test");
  const fs::path& dir = folder.path();
  HeadlessWindow window;
  ::testing::internal::CaptureStderr();
  const int status = run_build(Scenario{"Rovella_Tirsa", "7162", line, train}, window, dir);
  Outcome out{status, ::testing::internal::GetCapturedStderr(), {}};
  for (const auto& e : fs::directory_iterator(dir)) out.files.push_back(e.path().filename().string());
  std::sort(out.files.begin(), out.files.end());
  fs::remove_all(dir);
  return out;
}

TEST(BuildWithFault, TrainFaultIsReportedAfterTheFilesAreWritten) {
  std::vector<std::string_view> train(train_content().begin(), train_content().end());
  train.insert(train.end() - 1, "stazione, 30020, 12, 500, 0,0,0, 0,0,0, 0,0,0, 0, 0,0,0, NUOVA");
  const Outcome out = build_in_temp(line_content(), train);
  EXPECT_EQ(out.status, kExitCompilerFault);
  // One line, at the value; the description is gone, so no source line follows it.
  EXPECT_EQ(out.stderr_text,
            "Rovella_Tirsa_7162-.txt:" + std::to_string(train.size() - 1) +
                ":11: error: fault 8: station position is not a multiple of 50 (at 30020 m)\n");
  const std::vector<std::string> files = {"Rovella_Tirsa_7162.dat",
                                          "Rovella_Tirsa_7162.sim",
                                          "Rovella_Tirsa_7162_note.txt",
                                          "Rovella_Tirsa_7162_rallentamenti.txt",
                                          "Rovella_Tirsa_7162_scheda_treno.txt",
                                          "Rovella_Tirsa_linea.dat"};
  EXPECT_EQ(out.files, files);
}

TEST(BuildWithFault, NoSectionArrayWritesNoCompiledFile) {
  const std::string_view line[] = {"[generale]", "[curve]", "pendenza, 0, 0", "[fine]"};
  const Outcome out = build_in_temp(line, train_content());
  EXPECT_EQ(out.status, kExitCompilerFault);
  EXPECT_EQ(
      out.stderr_text,
      "Rovella_Tirsa_linea.txt:2:1: error: fault 104: no line length record before the body; no compiled "
      "file written\n");
  // A fault of the line half ends the compile before the train description is read; the
  // run removes that description all the same.
  const std::vector<std::string> files = {"Rovella_Tirsa_7162_note.txt",
                                          "Rovella_Tirsa_7162_rallentamenti.txt",
                                          "Rovella_Tirsa_7162_scheda_treno.txt"};
  EXPECT_EQ(out.files, files);
}

}  // namespace
}  // namespace compactor
