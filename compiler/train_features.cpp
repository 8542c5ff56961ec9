#include "compiler/train_features.h"

#include "sources/conversion.h"
#include "compiler/faults.h"

namespace compactor {

namespace {

constexpr int32_t kBoardDistance = 1200;  // the warning board stands this far before the start
constexpr int32_t kBoardFrom = 1500;      // slow-downs starting at or before this have no board
constexpr int kApproachSections = 4;

// The point section of a position that may lie outside 32 bits before conversion.
int32_t point_section_wide(int64_t position) {
  return to_int<int32_t>(static_cast<double>(position) / kMetresPerSection + 1.0);
}

}  // namespace

void memo_segnale(TrackModel& model, int32_t posizione, int32_t& sx, int32_t& s1, int32_t& s2, int32_t& s3,
                  int32_t& rapp, int32_t& dx, int32_t& d1, int32_t& d2, int32_t& d3, int32_t& tempo) {
  const int32_t i = point_section(posizione);
  TrackCell& cell = model.section(i);
  if (!is_free(cell)) {
    model.error_code = kFaultSignalTaken;
    return;
  }
  const int64_t sides = int64_t{sx} * 3 + dx;
  cell.kind = kKindSignal;
  cell.data4 = low16(int64_t{rapp} * 10 + sides);
  cell.data1 = low16(int64_t{s1} * 10 + d1);
  cell.data2 = low16(int64_t{s2} * 10 + d2);
  cell.data3 = low16(int64_t{s3} * 10 + d3);
  if (tempo >= 1 && tempo <= 100) tempo = 101;
  cell.signal_time = sx == 2 ? low8(tempo) : 0;
  // Marks 100, 200, 300 and 400 m before the signal, whatever those sections hold.
  for (int b = 1; b <= kApproachSections; ++b) {
    const int64_t mark = i - 2 * int64_t{b};
    if (mark >= 0) model.section(mark).approach_mark = low8(sides * 10 + b);
  }
}

void memo_rallentamento(TrackModel& model, int32_t x, int32_t& v, int32_t& l, int32_t& f_tt, int32_t f_ta,
                        int32_t& d_v) {
  // Every occupancy test comes before the first write.
  const bool board = x > kBoardFrom;
  int32_t w = 0;
  if (board) {
    w = point_section_wide(int64_t{x} - kBoardDistance);
    if (!is_free(model.section(w))) {
      model.error_code = kFaultBoardTaken;
      return;
    }
  } else {
    f_ta = 0;
  }
  const int32_t s = point_section(x);
  if (!is_free(model.section(s))) {
    model.error_code = kFaultStartTaken;
    return;
  }
  const int32_t e = point_section_wide(int64_t{x} + l);
  if (e > model.cell_limit) {
    model.error_code = kFaultSlowdownPastEnd;
    return;
  }
  if (!is_free(model.section(e))) {
    model.error_code = kFaultEndTaken;
    return;
  }

  TrackCell& end = model.section(e);
  end.kind = kKindSlowEnd;
  if (d_v != 0) end.data2 = low16(d_v);
  TrackCell& start = model.section(s);  // when s is e, the section ends as a start
  start.kind = kKindSlowStart;
  if (d_v != 0) start.data2 = low16(d_v);
  if (board) {
    TrackCell& warning = model.section(w);
    warning.kind = kKindSlowWarning;
    if (d_v != 0) warning.data2 = low16(d_v);
    warning.data1 = low16(v);
  }
  for (TrackCell* cell : {&start, &end}) {
    cell->data1 = low16(v);
    cell->data3 = low16(f_tt);
  }

  if (f_ta == 0) return;
  // The four sections just before the warning board, order 1 nearest the board.
  const int32_t h = div_round(int64_t{x} - kBoardDistance, kMetresPerSection);
  for (int j = 0; j < kApproachSections; ++j) {
    if (!is_free(model.section(h - j))) {
      model.error_code = kFaultApproachTaken;
      return;
    }
  }
  for (int j = 0; j < kApproachSections; ++j) {
    TrackCell& mark = model.section(h - j);
    mark.kind = kKindSlowApproach;
    mark.data1 = static_cast<int16_t>(j + 1);
    if (d_v != 0) mark.data2 = static_cast<int16_t>(j + 1);
  }
}

}  // namespace compactor
