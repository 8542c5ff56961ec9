#pragma once
// Test helpers: a small compiled scenario built by hand, field by field, the way the
// compiler and the finishing step leave one.

#include <cmath>
#include <cstdint>

#include "compiler/track_model.h"
#include "output/compiled_format.h"
#include "output/scenario_codes.h"

namespace compactor::inspect::testing {

// Line "Linea", train "1", 1000 m long: sections 0 to 160, plot 0 to 8000 m.
// Stations ALFA (slot 1, 0 m, -250 to 250, 18:21:00) and BETA (slot 2, 700 m, 450 to 950,
// no time); sign boards at 400 m (slot 80, "(CAVALCAVIA)") and 550 m (slot 79, "(N°
// 47)" with the byte B0); a signal at 300 m; a speed board at 100 m; a slow-down of 30
// from 600 to 700 m; a mountain stretch of type 1 over sections 20 to 27 with tunnel
// markers on 23 and 27; gradient 0 then 4 per mille from 500 m; speed 75 then 135 km/h
// from 800 m; adhesion 100; markers and scenario codes in place.
inline TrackModel small_scenario(bool with_plot = true) {
  TrackModel m;
  m.line_name = "Linea";
  m.train_number = "1";
  m.plot_wanted = with_plot ? 1 : 0;
  m.clear_slots();
  m.create_sections_and_plot(1000);
  auto& s = m.slots;
  s[81] = SlotRecord{};
  s[81].value2 = 50550;
  s[84].value1 = 120;
  s[84].value2 = 1000;
  s[84].value3 = 3;
  s[85].value2 = 1;
  s[85].text = "Linea";
  s[86].text = "1";
  s[86].short1 = 300;
  s[86].short3 = 18;
  s[86].short4 = 20;
  s[86].short5 = 30;

  SlotRecord& alfa = s[1];
  alfa.kind = 12;
  alfa.value1 = -250;
  alfa.value2 = 250;
  alfa.value3 = 0;
  alfa.mode = 1;
  alfa.text = "ALFA";
  alfa.short1 = 4;
  alfa.value4 = 66060;
  SlotRecord& beta = s[2];
  beta.kind = 12;
  beta.value1 = 450;
  beta.value2 = 950;
  beta.value3 = 700;
  beta.text = "BETA";
  auto& c = m.sections;
  c[4].kind = kKindStationEnd;
  c[4].data1 = 1;
  c[18].kind = kKindStationEnd;
  c[18].data1 = 2;
  for (int k = 1; k <= 4; ++k)
    c[static_cast<size_t>(18 - k - 1)].approach_mark = static_cast<uint8_t>(80 + k);

  c[9].kind = kKindSignBoard;
  c[9].data1 = 80;
  s[80].text = "(CAVALCAVIA)";
  c[12].kind = kKindSignBoard;
  c[12].data1 = 79;
  s[79].text = "(N\xB0 47)";

  c[7].kind = kKindSignal;  // "segnale, 300, 1, 5, 6, 0, 0, 0, 0, 0, 0, 0"
  c[7].data1 = 50;
  c[7].data2 = 60;
  c[7].data4 = 3;
  c[5].approach_mark = 31;
  c[3].approach_mark = 32;
  c[1].approach_mark = 33;

  c[3].kind = kKindSpeedBoard;  // 125 / 135 / 135 on the left only
  c[3].data1 = 2500;
  c[3].data2 = 2700;
  c[3].data3 = 2700;

  c[13].kind = kKindSlowStart;
  c[15].kind = kKindSlowEnd;
  for (size_t k : {13, 15}) {
    c[k].data1 = 30;
    c[k].data3 = 1;
  }

  for (size_t k = 20; k <= 27; ++k) c[k].mountain_type = 1;
  c[23].kind = kKindTunnelMarker;
  c[27].kind = kKindTunnelMarker;

  for (int32_t k = 0; k <= m.cell_limit - 3; ++k) {
    TrackCell& t = c[static_cast<size_t>(k)];
    t.gradient_code = k < 10 ? 100 : 104;
    t.speed_code = k < 16 ? 15 : 27;
    t.adhesion = 100;
  }

  s[85].short1 = format::kSlotMarker;
  c[1].data1 = format::kSectionMarker;
  s[85].value4 = codice_gara_st(m);
  c[1].data2 = static_cast<int16_t>(codice_gara_og(m));

  if (with_plot) {
    std::vector<PlotValue> v = m.route_plot.values();
    const size_t n = static_cast<size_t>(m.route_plot.points());
    v[0] = int16_t{0};
    v[n] = int16_t{0};
    v[1] = int16_t{0};
    v[n + 1] = int16_t{1};
    // A gentle right-hand curve from 2000 m on; the last two points stay empty.
    for (int32_t k = 2; k <= m.plot_limit - 2; ++k) {
      const double turn = k < 2000 ? 0.0 : 0.0002 * (k - 2000);
      v[static_cast<size_t>(k)] = k < 2000 ? 0.0 : (1.0 - std::cos(turn)) / 0.0002;
      v[n + static_cast<size_t>(k)] = k < 2000 ? static_cast<double>(k) : 2000.0 + std::sin(turn) / 0.0002;
    }
    m.route_plot = RoutePlot::from_values(std::move(v));
  }
  return m;
}

}  // namespace compactor::inspect::testing
