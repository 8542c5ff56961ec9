#include "output/scenario_codes.h"

#include <gtest/gtest.h>

namespace compactor {
namespace {

TrackModel named(const std::string& train, const std::string& line) {
  TrackModel m;
  m.slots[86].text = train;
  m.slots[85].text = line;
  return m;
}

TEST(ScenarioCodes, ExamplesOfBothSums) {
  struct Case {
    std::string train, line;
    int32_t plain, weighted;
  };
  const Case cases[] = {
      {"", std::string(25, 'A'), 2425, 31525},         {"", std::string(25, 'a'), 2425, 31525},
      {"", std::string(25, 'A') + "ZZZ", 2425, 31525},  // characters after the 25th are ignored
      {"1", "ABCDEFGHIJKLMNOPQRSTUVWX", 2653, 36353},  {"7162", "Rovella_Tirsa", 2523, 35535},
      {"7162", "ROVELLA_TIRSA", 2523, 35535},
  };
  for (const auto& c : cases) {
    const TrackModel m = named(c.train, c.line);
    EXPECT_EQ(codice_gara_og(m), c.plain) << c.train << "/" << c.line;
    EXPECT_EQ(codice_gara_st(m), c.weighted) << c.train << "/" << c.line;
  }
}

TEST(ScenarioCodes, EmptyNamesSumTheFillerAlone) {
  const TrackModel m = named("", "");
  int32_t plain = 0, weighted = 0;
  for (int i = 0; i < 25; ++i) {
    plain += static_cast<unsigned char>(kCodeFiller[i]);
    weighted += static_cast<unsigned char>(kCodeFiller[i]) * (i + 1);
  }
  EXPECT_EQ(codice_gara_og(m), plain);
  EXPECT_EQ(codice_gara_st(m), weighted);
}

TEST(ScenarioCodes, SwappingNamesKeepsThePlainCodeWhenShort) {
  const TrackModel a = named("7162", "Rovella");
  const TrackModel b = named("Rovella", "7162");
  EXPECT_EQ(codice_gara_og(a), codice_gara_og(b));
  EXPECT_NE(codice_gara_st(a), codice_gara_st(b));
}

TEST(ScenarioCodes, HighWindows1252BytesCountAsUnsigned) {
  const TrackModel m = named("", std::string(25, '\xE8'));
  EXPECT_EQ(codice_gara_og(m), 25 * 0xE8);
  EXPECT_EQ(codice_gara_st(m), 0xE8 * 325);
}

}  // namespace
}  // namespace compactor
