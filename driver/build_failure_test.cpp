// A build whose n-th file cannot be written: the run stops there with status 2 and a
// message naming the file, the file keeps its earlier version, the files after it are
// never reached, the documents before it are whole, the compiled set is the earlier one,
// the descriptions are gone and no temporary file is left behind.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <map>
#include <ostream>
#include <string>
#include <tuple>

#include "driver/build.h"
#include "driver/progress_window.h"
#include "platform/env.h"
#include "platform/folder_store.h"
#include "sources/line_content.h"
#include "sources/memory_sink.h"
#include "sources/train_content.h"
#include "testing/temp_folder.h"

namespace compactor {
namespace {

namespace fs = std::filesystem;

// The build's files in the order they are written.
constexpr std::array<const char*, 8> kWrites = {
    "Rovella_Tirsa_linea.txt",
    "Rovella_Tirsa_7162-.txt",
    "Rovella_Tirsa_7162_note.txt",
    "Rovella_Tirsa_7162_rallentamenti.txt",
    "Rovella_Tirsa_7162_scheda_treno.txt",
    "Rovella_Tirsa_linea.dat",
    "Rovella_Tirsa_7162.sim",
    "Rovella_Tirsa_7162.dat",
};
// Writes 6 to 8 come after the compiler has read and deleted the two descriptions.
constexpr int kFirstCompiledWrite = 6;

using Files = std::map<std::string, std::string>;

Files read_folder(const fs::path& dir) {
  Files out;
  const FolderStore store(dir);
  for (const auto& entry : fs::directory_iterator(dir)) {
    const auto name = entry.path().filename().string();
    out[name] = store.read_file(name).value();
  }
  return out;
}

std::string old_content(const std::string& name) { return "old " + name + "\r\n"; }

// What a complete build writes, each file whole. The descriptions never survive a
// complete build, so they come from their writers directly.
const Files& new_content() {
  static const Files files = [] {
    const testing::TempFolder dir("build-failure-ref");
    set_write_fault_injection({});
    HeadlessWindow window;
    const int status = run_build(embedded_scenario(), window, dir.path());
    Files out = read_folder(dir.path());
    EXPECT_EQ(status, kExitBuilt);
    MemorySink descriptions;
    dati_linea(descriptions, "Rovella_Tirsa");
    dati_treno(descriptions, "Rovella_Tirsa", "7162");
    out.insert(descriptions.files.begin(), descriptions.files.end());
    return out;
  }();
  return files;
}

// Each file of a folder by what it holds, so a mismatch reads as "partial (123 bytes)"
// rather than as a megabyte of route plot.
std::map<std::string, std::string> labels(const Files& files) {
  std::map<std::string, std::string> out;
  for (const auto& [name, bytes] : files) {
    const auto fresh = new_content().find(name);
    if (bytes == old_content(name)) {
      out[name] = "old";
    } else if (fresh != new_content().end() && bytes == fresh->second) {
      out[name] = "new";
    } else {
      out[name] = "other (" + std::to_string(bytes.size()) + " bytes)";
    }
  }
  return out;
}

struct FailureKind {
  const char* label;
  WriteFaultInjection::Step step;
  bool short_write;
  const char* what;  // the start of the reason; the system's own words follow it
};

void PrintTo(const FailureKind& kind, std::ostream* os) { *os << kind.label; }

const FailureKind kKinds[] = {
    {"FailedOpen", WriteFaultInjection::Step::open, false, "cannot create a temporary file beside it: "},
    {"FailedWrite", WriteFaultInjection::Step::write, false, "cannot write: "},
    {"ShortWrite", WriteFaultInjection::Step::write, true, "cannot write: "},
    {"FailedRename", WriteFaultInjection::Step::rename, false, "cannot replace: "},
};

class BuildFailureTest : public ::testing::Test {
 protected:
  void SetUp() override {
    new_content();  // the reference build, before any injection is set
  }
  void TearDown() override { set_write_fault_injection({}); }

  // Runs the build with standard error captured; returns the status.
  int build() {
    HeadlessWindow window;
    ::testing::internal::CaptureStderr();
    const int status = run_build(embedded_scenario(), window, dir_);
    stderr_ = ::testing::internal::GetCapturedStderr();
    return status;
  }

  testing::TempFolder folder_{"build-failure"};
  fs::path dir_ = folder_.path();
  std::string stderr_;
};

class WriteFailureTest : public BuildFailureTest,
                         public ::testing::WithParamInterface<std::tuple<int, FailureKind, bool>> {};

TEST_P(WriteFailureTest, StopsAtTheFailedFileAndLosesNothing) {
  const auto& [n, kind, earlier_files] = GetParam();
  const std::string failed = kWrites[static_cast<size_t>(n - 1)];
  FolderStore store(dir_);
  if (earlier_files) {
    for (const char* name : kWrites) store.replace_file(name, old_content(name));
  }

  set_write_fault_injection({kind.step, n, kind.short_write});
  EXPECT_EQ(build(), kExitFileError);
  set_write_fault_injection({});

  // One line: the file's full path, what failed and the system's reason.
  const std::string head = FileError::display_path(dir_ / failed) + ": " + kind.what;
  EXPECT_EQ(stderr_.rfind(head, 0), 0u) << stderr_;
  EXPECT_GT(stderr_.size(), head.size() + 1) << "no reason given: " << stderr_;
  EXPECT_EQ(stderr_.find('\n'), stderr_.size() - 1) << stderr_;

  std::map<std::string, std::string> expected;
  for (int i = 1; i <= static_cast<int>(kWrites.size()); ++i) {
    const std::string name = kWrites[static_cast<size_t>(i - 1)];
    const bool description = i < 3;
    const bool compiled = i >= kFirstCompiledWrite;
    // The descriptions a run writes never outlive it; the compiled files change together
    // or not at all (a failed rename puts back those renamed before it).
    if (description && i < n) continue;
    if (i < n && !compiled)
      expected[name] = "new";
    else if (earlier_files)
      expected[name] = "old";
  }
  // Anything else in the folder (a temporary file, a partial file) shows up here too.
  EXPECT_EQ(labels(read_folder(dir_)), expected);
}

std::string case_name(const ::testing::TestParamInfo<WriteFailureTest::ParamType>& info) {
  const auto& [n, kind, earlier_files] = info.param;
  return "Write" + std::to_string(n) + "_" + kind.label +
         (earlier_files ? "_OverEarlierFiles" : "_InEmptyFolder");
}

INSTANTIATE_TEST_SUITE_P(EveryWriteEveryFailure, WriteFailureTest,
                         ::testing::Combine(::testing::Range(1, static_cast<int>(kWrites.size()) + 1),
                                            ::testing::ValuesIn(kKinds), ::testing::Bool()),
                         case_name);

// Not injected: a folder standing where the slot table goes makes the real rename fail.
TEST_F(BuildFailureTest, FolderInPlaceOfACompiledFileStopsTheBuildThere) {
  FolderStore store(dir_);
  for (const char* name : kWrites) store.replace_file(name, old_content(name));
  fs::remove(dir_ / "Rovella_Tirsa_7162.sim");
  fs::create_directory(dir_ / "Rovella_Tirsa_7162.sim");
  store.replace_file("Rovella_Tirsa_7162.sim/inside", "kept");

  EXPECT_EQ(build(), kExitFileError);

  const std::string head = (dir_ / "Rovella_Tirsa_7162.sim").string() + ": cannot replace: ";
  EXPECT_EQ(stderr_.rfind(head, 0), 0u) << stderr_;
  EXPECT_EQ(FolderStore(dir_ / "Rovella_Tirsa_7162.sim").read_file("inside"), "kept");
  fs::remove_all(dir_ / "Rovella_Tirsa_7162.sim");
  const std::map<std::string, std::string> expected = {
      {"Rovella_Tirsa_7162_note.txt", "new"},
      {"Rovella_Tirsa_7162_rallentamenti.txt", "new"},
      {"Rovella_Tirsa_7162_scheda_treno.txt", "new"},
      {"Rovella_Tirsa_linea.dat", "old"},
      {"Rovella_Tirsa_7162.dat", "old"},
  };
  EXPECT_EQ(labels(read_folder(dir_)), expected);
}

}  // namespace
}  // namespace compactor
