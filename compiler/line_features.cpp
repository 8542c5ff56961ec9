#include "compiler/line_features.h"

#include <array>

#include "sources/conversion.h"
#include "compiler/faults.h"

namespace compactor {

void memo_montagna(TrackModel& model, int32_t inizio, int32_t fine, int32_t tipo) {
  model.lit_stretch = 0;
  if (tipo > 10) {
    model.lit_stretch = 1;
    tipo -= 10;
  }
  if (model.mountain_count >= kMountainCapacity) {
    model.error_code = kFaultTooManyMountains;
    return;
  }
  const int32_t n = ++model.mountain_count;
  model.mountain_starts[static_cast<size_t>(n)] = inizio;
  model.mountain_ends[static_cast<size_t>(n)] = fine;
  // A stretch that follows the previous one within 150 m joins it as type 3 (a lit one stays lit).
  if (n > 1 && static_cast<int64_t>(model.mountain_starts[static_cast<size_t>(n)]) -
                       model.mountain_ends[static_cast<size_t>(n - 1)] <=
                   150) {
    tipo = 3;
  }
  const int32_t first = to_int<int32_t>(static_cast<double>(inizio) / kMetresPerSection);
  const int32_t last = to_int<int32_t>(static_cast<double>(fine) / kMetresPerSection - 1.0);
  if (first > last) return;
  if (last > model.cell_limit) {
    model.error_code = kFaultMountainPastEnd;
    return;
  }
  for (int32_t i = first; i <= last; ++i) {
    TrackCell& cell = model.section(i);
    cell.mountain_type = low8(tipo);
    const int32_t counted = i - first + 1;
    if (model.lit_stretch == 1 && counted % 4 == 0 && cell.kind == kKindNone) cell.kind = kKindTunnelMarker;
  }
}

namespace {

// Left-hand speed x 20 plus right-hand speed / 5, the division in floating point.
int16_t packed_speed(int32_t left, int32_t right) {
  return to_int<int16_t>(static_cast<double>(right) / 5.0 +
                         static_cast<double>(static_cast<int64_t>(left) * 20));
}

}  // namespace

void memo_indicatori_v_max(TrackModel& model, int32_t posizione, int32_t vas, int32_t vbs, int32_t vcs,
                           int16_t strisces, int32_t vad, int32_t vbd, int32_t vcd, int16_t strisced) {
  TrackCell& cell = model.section(point_section(posizione));
  if (!is_free(cell)) {
    model.error_code = kFaultSpeedBoardTaken;
    return;
  }
  cell.kind = kKindSpeedBoard;
  cell.data1 = packed_speed(vas, vad);
  cell.data2 = packed_speed(vbs, vbd);
  cell.data3 = packed_speed(vcs, vcd);
  // 16-bit arithmetic: a result beyond 16 bits is an overflow, not a wrap.
  cell.data4 = to_int<int16_t>(static_cast<double>(strisces * 10 + strisced));
}

void progressive_ordina(TrackModel& model) {
  struct Triple {
    int32_t start, chainage, flag;
  };
  auto take = [&](int index) {
    const SlotRecord& s = model.slot(index);
    return Triple{s.value1, s.value2, s.value3};
  };
  const Triple t = take(kChainageSlotTre);
  const Triple d = take(kChainageSlotDue);
  const Triple u = take(kChainageSlotUno);

  const Triple zero{0, 0, 0};
  std::array<Triple, 3> order{zero, zero, zero};
  if (static_cast<int64_t>(t.start) + d.start + u.start != 0) {
    if (t.start > d.start && t.start > u.start)
      order = d.start > u.start ? std::array{t, d, u} : std::array{t, u, d};
    else if (d.start > t.start && d.start > u.start)
      order = t.start > u.start ? std::array{d, t, u} : std::array{d, u, t};
    else if (u.start > t.start && u.start > d.start)
      order = t.start > d.start ? std::array{u, t, d} : std::array{u, d, t};
  } else if (u.chainage > 0) {
    order = {u, d, t};
  } else if (d.chainage > 0) {
    order = {d, t, u};
  } else if (t.chainage > 0) {
    order = {t, d, u};
  }

  for (int k = 0; k < 3; ++k) {
    SlotRecord& s = model.slot(kChainageSlotTre + k);
    s.value1 = order[static_cast<size_t>(k)].start;
    s.value2 = order[static_cast<size_t>(k)].chainage;
    s.value3 = order[static_cast<size_t>(k)].flag;
    if (s.value3 == 1) s.value2 = to_int<int32_t>(static_cast<double>(s.value2) + 100.0);
  }
}

}  // namespace compactor
