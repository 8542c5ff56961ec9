#pragma once
// The three placement procedures of the line description: mountain stretches, maximum-speed
// boards and the ordering of the chainage references.

#include <cstdint>

#include "compiler/track_model.h"

namespace compactor {

// Lays the mountain stretch inizio..fine of type tipo (above 10: lit, with a tunnel marker
// on every fourth section) over sections inizio / 50 to fine / 50 - 1. A stretch starting
// 150 m or less after the previous record's end becomes type 3. Sets error_code to
// kFaultTooManyMountains for an 81st record and to kFaultMountainPastEnd when the stretch
// ends beyond cell_limit, writing nothing in either case.
void memo_montagna(TrackModel& model, int32_t inizio, int32_t fine, int32_t tipo);

// Places a maximum-speed board in the point section of posizione: each category's speed
// packed as left x 20 + right / 5, the stripes as left x 10 + right. Sets error_code to 21
// when the section is not free. A packed value that does not fit 16 bits throws
// ConversionFault.
void memo_indicatori_v_max(TrackModel& model, int32_t posizione, int32_t vas, int32_t vbs, int32_t vcs,
                           int16_t strisces, int32_t vad, int32_t vbd, int32_t vcd, int16_t strisced);

// Orders the three chainage triples of slots 81 to 83, greatest start first (by chainage
// when every start is 0; all nine numbers 0 when no order can be told), then raises the
// chainage of every triple whose flag is 1 by 100.
void progressive_ordina(TrackModel& model);

}  // namespace compactor
