#include "compiler/braking.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "testing/compile_texts.h"

namespace compactor {
namespace {

// Compiles a 20 km line of one gradient and a train with one speed limit from 0 and one
// slow-down; returns the -Wbraking and -Wgradient-range warnings, as "line:column message".
std::vector<std::string> braking_warnings(const std::string& gradient, const std::vector<std::string>& header,
                                          int32_t speed_limit, const std::string& slow_down) {
  testing::InMemoryDescriptions files;
  files.line = testing::line_text(20000, {"pendenza,  0,  " + gradient});
  std::string train = "[generale]\r\n";
  for (const std::string& h : header) train += h + "\r\n";
  train += "velocita,  0,  " + std::to_string(speed_limit) + "\r\nrallentamento,  " + slow_down + "\r\n[fine]\r\n";
  files.train = train;
  TrackModel model;
  model.plot_wanted = 1;
  CompileDiagnostics found;
  memorizza_dati(model, files, &found);
  EXPECT_EQ(model.error_code, 0) << slow_down;
  std::vector<std::string> out;
  for (const Diagnostic& d : found.warnings)
    if (d.warning == "braking" || d.warning == "gradient-range")
      out.push_back(std::to_string(d.place->line) + ":" + std::to_string(d.place->column) + " " +
                    render(d.message, Language::en));
  return out;
}

TEST(Braking, SlowDownsAgainstTheTrainsBraking) {
  struct Case {
    const char* what;
    std::string braked_mass;  // the record's value, or "" for no record
    std::string gradient;
    int32_t speed_limit;
    std::string slow_down;  // x, v, l, f_tt, f_ta, d_v
    std::string warning;    // a part of the one warning ("line:column message"), or "" for none
  };
  const Case cases[] = {
      // 0.0075 x 30 + 0.076 = 0.301 m/s²: (37.5² - 2.778²) / (2 x 0.301) = 2323.1 m, against 1200.
      {"30 %, 135 to 10 km/h, level", "30", "0", 135, "5000, 10, 0, 0, 0, 0",
       "5:17 from the warning board to the slow-down's start there are 1200 m, and the train needs 2324 m to "
       "slow from 135 km/h to 10 km/h (braked mass 30 %, on level track)"},
      // Below 30 % the rate of 30 %: the same 2323.1 m.
      {"10 %, as 30 %", "10", "0", 135, "5000, 10, 0, 0, 0, 0", "needs 2324 m to slow from 135 km/h to 10 km/h"},
      // V_lim = 16.85 x 98^0.428 = 119.9 km/h, so the band up to 120 km/h counts and beats 0.0075 x 98 +
      // 0.076 = 0.811: 0.13 + 5.14e-3 x 98 - 4.53e-6 x 98² + 2.73e-7 x 98³ = 0.8472 m/s². To a stop
      // from 160 km/h: 1975.3 / 1.6944 = 1165.8 m (with 0.811 it would be 1217.8 m).
      {"98 %, 160 to 0 km/h: the highest band", "98", "0", 160, "5000, 0, 500, 0, 0, 0", ""},
      // 0.976 m/s²: (37.5² - 27.78²) / 1.952 = 325.1 m.
      {"120 %, 135 to 100 km/h, level", "120", "0", 135, "5000, 100, 500, 0, 0, 0", ""},
      // 0.526 m/s² (V_lim 97.2 km/h; the bands above it give 0.433 and 0.481): 1336.8 / 1.052 = 1270.7 m.
      {"60 %, 135 to 30 km/h, level", "60", "0", 135, "5000, 30, 500, 0, 0, 0", "needs 1271 m"},
      // + 9.81 x 10 / 1020 = 0.0962: 1336.8 / 1.2444 = 1074.3 m.
      {"60 %, 135 to 30 km/h, climb of 10", "60", "10", 135, "5000, 30, 500, 0, 0, 0", ""},
      // (27.78² - 8.333²) / 1.052 = 667.5 m on the level; - 9.81 x 30 / 1150 = 0.2559 on the
      // descent: 702.2 / 0.5402 = 1299.8 m.
      {"60 %, 100 to 30 km/h, level", "60", "0", 100, "5000, 30, 500, 0, 0, 0", ""},
      {"60 %, 100 to 30 km/h, descent of 30", "60", "-30", 100, "5000, 30, 500, 0, 0, 0",
       "needs 1300 m to slow from 100 km/h to 30 km/h (braked mass 60 %, on a descent of 30 \xe2\x80\xb0)"},
      // 0.301 - 9.81 x 40 / 1150 = -0.040: the descent takes it all.
      {"30 %, descent of 40", "30", "-40", 135, "5000, 10, 500, 0, 0, 0",
       "1200 m, and the train cannot slow from 135 km/h to 10 km/h: the descent takes all of its braking"},
      // No board: checked from the line's start, 1500 m; 2323.1 m needed.
      {"30 % at 1500 m", "30", "0", 135, "1500, 10, 500, 0, 0, 0",
       "5:17 the slow-down starts at 1500 m, with no warning board: from the line's start there are 1500 m, and "
       "the train needs 2324 m"},
      // 1398.5 / 1.952 = 716.5 m.
      {"120 % at 1500 m", "120", "0", 135, "1500, 10, 500, 0, 0, 0", ""},
      // To a stop: 1406.25 / 0.602 = 2336.0 m; 1406.25 / 1.952 = 720.4 m.
      {"30 %, speed 0", "30", "0", 135, "5000, 0, 500, 0, 0, 0", "needs 2336 m to slow from 135 km/h to 0 km/h"},
      {"120 %, speed 0", "120", "0", 135, "5000, 0, 500, 0, 0, 0", ""},
      {"speed limit 0: nothing to slow from", "30", "0", 0, "5000, 10, 500, 0, 0, 0", ""},
      // The sections reach 7000 m past the line's end: the board at 23800 m, 2323.1 m needed.
      {"beyond the line", "30", "0", 135, "25000, 10, 500, 0, 0, 0", "needs 2324 m"},
      {"braked mass 0", "0", "0", 135, "5000, 10, 500, 0, 0, 0",
       "3:28 a braked mass of 0 % leaves the train without brakes: no slow-down is checked"},
      {"braked mass below 0", "-5", "0", 135, "5000, 10, 500, 0, 0, 0", "3:28 a braked mass of -5 % is below 0"},
      {"braked mass above 250", "300", "0", 135, "5000, 10, 500, 0, 0, 0", "a braked mass of 300 % is above 250 %"},
      {"no braked mass", "", "0", 135, "5000, 10, 500, 0, 0, 0",
       "0:0 no braked mass ('percentuale massa frenata'): the train's braked mass is 0 %"},
      // 200 + 100 = 300, whose low 8 bits are 44: -56 per mille.
      {"gradient above 155", "120", "200", 135, "5000, 100, 500, 0, 0, 0",
       "4:16 a gradient of 200 per mille lies outside -100 to 155, what a section holds: it is stored as -56"},
  };
  for (const Case& c : cases) {
    std::vector<std::string> header{"numero vetture,  3"};
    if (!c.braked_mass.empty()) header.push_back("percentuale massa frenata, " + c.braked_mass);
    const std::vector<std::string> found = braking_warnings(c.gradient, header, c.speed_limit, c.slow_down);
    ASSERT_EQ(found.size(), c.warning.empty() ? 0u : 1u) << c.what << (found.empty() ? "" : ": " + found[0]);
    if (!c.warning.empty()) {
      EXPECT_NE(found[0].find(c.warning), std::string::npos) << c.what << ": " << found[0];
    }
  }
}

}  // namespace
}  // namespace compactor
