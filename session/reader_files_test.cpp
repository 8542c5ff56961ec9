#include "session/reader_files.h"

#include <gtest/gtest.h>

#include <fstream>

#include "output/compiled_files.h"
#include "testing/temp_folder.h"
#include "reader/reader_test_support.h"

namespace compactor::inspect {
namespace {

namespace fs = std::filesystem;

struct Bytes {
  std::string sections, slots, plot;
};

Bytes small_files() {
  const TrackModel m = testing::small_scenario();
  return {encode_sections(m.sections), encode_slots(m.slots), encode_route_plot(m.route_plot)};
}

TrackModel decode(const Bytes& b, bool with_plot = true) {
  return decode_scenario(b.sections, "L_1.dat", b.slots, "L_1.sim",
                         with_plot ? std::optional<std::string>(b.plot) : std::nullopt, "L_linea.dat");
}

TEST(InspectFiles, DecodedFilesGiveTheModelBack) {
  const TrackModel want = testing::small_scenario();
  const TrackModel got = decode(small_files());
  EXPECT_EQ(got.sections, want.sections);
  EXPECT_EQ(got.slots, want.slots);
  EXPECT_EQ(got.cell_limit, 160);
  EXPECT_EQ(got.plot_limit, 8000);
  EXPECT_EQ(got.line_name, "Linea");
  EXPECT_EQ(got.train_number, "1");
  EXPECT_FALSE(decode(small_files(), false).plot_created);
}

// Every length of the slot table short of the whole is refused with its file's name;
// a section array cut at a record boundary is only shorter (the check finds that).
TEST(InspectFiles, EveryTruncationIsRefusedOrShorterNeverACrash) {
  const Bytes whole = small_files();
  for (size_t n = 0; n < whole.slots.size(); ++n) {
    Bytes b = whole;
    b.slots.resize(n);
    try {
      decode(b, false);
      ADD_FAILURE() << "slot table of " << n << " bytes accepted";
    } catch (const InspectError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("L_1.sim: ", 0), 0u) << e.what();
      EXPECT_NE(std::string(e.what()).find(" at offset "), std::string::npos) << e.what();
    }
  }
  for (size_t n = 0; n < whole.sections.size(); ++n) {
    Bytes b = whole;
    b.sections.resize(n);
    if (n % 15 == 0) {
      EXPECT_EQ(decode(b, false).section_count(), static_cast<int32_t>(n / 15));
    } else {
      EXPECT_THROW(decode(b, false), InspectError) << n;
    }
  }
  // The plot: every length in the first and the last hundred bytes.
  for (size_t n = 0; n < whole.plot.size(); n += (n < 100 || n > whole.plot.size() - 100) ? 1 : 997) {
    Bytes b = whole;
    b.plot.resize(n);
    try {
      EXPECT_LT(decode(b).route_plot.points(), 8001);
    } catch (const InspectError& e) {
      EXPECT_EQ(std::string(e.what()).rfind("L_linea.dat: ", 0), 0u) << e.what();
    }
  }
}

TEST(InspectFiles, CorruptedBytesAreRefusedNeverACrash) {
  const Bytes whole = small_files();
  // Every single byte of the slot table's first station and of the sign texts set to FF.
  for (size_t at = 0; at < whole.slots.size(); ++at) {
    Bytes b = whole;
    b.slots[at] = '\xFF';
    try {
      decode(b, false);  // a changed number is still a slot table
    } catch (const InspectError& e) {
      EXPECT_NE(std::string(e.what()).find("L_1.sim"), std::string::npos);
    }
  }
  Bytes tag = whole;
  tag.plot[2 * 4] = '\x09';  // the third value's tag
  EXPECT_THROW(decode(tag), InspectError);
}

class InspectFilesOnDisk : public ::testing::Test {
 protected:
  ScenarioPaths paths(bool with_plot) const {
    return {dir_ / "L_1.dat", dir_ / "L_1.sim",
            with_plot ? std::optional(dir_ / "L_linea.dat") : std::nullopt};
  }
  compactor::testing::TempFolder folder_{"inspect-files"};
  fs::path dir_ = folder_.path();
};

TEST_F(InspectFilesOnDisk, WrittenFilesReadBackTheSame) {
  const TrackModel m = testing::small_scenario();
  write_scenario(m, paths(true));
  const TrackModel back = load_scenario(paths(true));
  EXPECT_EQ(back.sections, m.sections);
  EXPECT_EQ(back.slots, m.slots);
  EXPECT_EQ(encode_route_plot(back.route_plot), encode_route_plot(m.route_plot));
  EXPECT_EQ(fs::file_size(dir_ / "L_1.dat"), 161u * 15);
}

TEST_F(InspectFilesOnDisk, APlotAndItsFileGoTogether) {
  EXPECT_THROW(write_scenario(testing::small_scenario(true), paths(false)), InspectError);
  EXPECT_THROW(write_scenario(testing::small_scenario(false), paths(true)), InspectError);
  EXPECT_FALSE(fs::exists(dir_ / "L_1.dat"));  // refused before anything was written
}

TEST_F(InspectFilesOnDisk, AMissingFileIsNamed) {
  try {
    load_scenario(paths(false));
    ADD_FAILURE();
  } catch (const InspectError& e) {
    EXPECT_NE(std::string(e.what()).find("L_1.dat: no such file"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace compactor::inspect
