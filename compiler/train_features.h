#pragma once
// Placement of one signal or one temporary slow-down into the sections. Each
// procedure first makes sure the sections it needs are free; when one is taken it
// leaves a fault number in error_code and returns, and the caller ends the compile.

#include <cstdint>

#include "compiler/track_model.h"

namespace compactor {

// Puts a signal in the point section of `posizione` and writes the four approach
// marks before it. Only `tempo` may be changed: 1 to 100 become 101.
// Fault 16 when the section is taken; nothing is written then.
void memo_segnale(TrackModel& model, int32_t posizione, int32_t& sx, int32_t& s1, int32_t& s2, int32_t& s3,
                  int32_t& rapp, int32_t& dx, int32_t& d1, int32_t& d2, int32_t& d3, int32_t& tempo);

// Puts a slow-down from `x` to `x` + `l`: start, end, and above 1500 m the warning
// board 1200 m before the start (with its four approach marks when `f_ta` is not 0).
// Faults 17, 18, 19 (taken board, start or end section) and kFaultSlowdownPastEnd
// (end beyond the last section) leave the sections untouched; fault 20 (a taken
// approach section) leaves the start, end and board written.
void memo_rallentamento(TrackModel& model, int32_t x, int32_t& v, int32_t& l, int32_t& f_tt, int32_t f_ta,
                        int32_t& d_v);

}  // namespace compactor
