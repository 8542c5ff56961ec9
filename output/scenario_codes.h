#pragma once
// The two scenario codes: sums over the first 25 characters of the train number,
// the line name (lower case) and a fixed filler.

#include <cstdint>

#include "compiler/track_model.h"

namespace compactor {

inline constexpr char kCodeFiller[] = "qqrrssttuuvvzzqqrrssttuuvv";

// The plain code: the sum of the 25 character codes.
int32_t codice_gara_og(const TrackModel& model);
// The weighted code: the sum of character code times position (1 to 25).
int32_t codice_gara_st(const TrackModel& model);

}  // namespace compactor
