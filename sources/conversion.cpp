#include "sources/conversion.h"

#include <cmath>

namespace compactor {

double round_half_even(double v) {
  const double down = std::floor(v);
  const double diff = v - down;
  if (diff < 0.5) return down;
  if (diff > 0.5) return down + 1.0;
  // exact half: go to the even neighbour
  return std::fmod(down, 2.0) == 0.0 ? down : down + 1.0;
}

int32_t div_round(int64_t a, int64_t b) {
  if (b == 0) throw ConversionFault("division by zero");
  return to_int<int32_t>(static_cast<double>(a) / static_cast<double>(b));
}

}  // namespace compactor
