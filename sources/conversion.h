#pragma once
// The one rule for turning a quotient or a floating-point value into an integer:
// nearest integer, an exact half to the even neighbour (10.5 -> 10, 11.5 -> 12);
// a result that does not fit its width is a fault.

#include <cstdint>
#include <limits>
#include <stdexcept>
#include <string>

namespace compactor {

// Thrown when a converted value does not fit its integer width (or is not a number).
// Inside the compiler it becomes fault 25.
class ConversionFault : public std::runtime_error {
 public:
  explicit ConversionFault(const std::string& what) : std::runtime_error(what) {}
};

// Nearest integer of v as a double, halves to even. v must be finite.
double round_half_even(double v);

template <typename T>
T to_int(double v) {
  static_assert(std::numeric_limits<T>::is_integer);
  if (!(v == v) || v == std::numeric_limits<double>::infinity() ||
      v == -std::numeric_limits<double>::infinity()) {
    throw ConversionFault("value is not a finite number");
  }
  const double r = round_half_even(v);
  if (r < static_cast<double>(std::numeric_limits<T>::min()) ||
      r > static_cast<double>(std::numeric_limits<T>::max())) {
    throw ConversionFault("value " + std::to_string(r) + " does not fit its field");
  }
  return static_cast<T>(r);
}

// a / b computed in floating point and converted by the rule; b must not be 0.
int32_t div_round(int64_t a, int64_t b);

// Integers stored into a narrower field without conversion keep their low bits.
inline int16_t low16(int64_t v) { return static_cast<int16_t>(static_cast<uint16_t>(v & 0xFFFF)); }
inline uint8_t low8(int64_t v) { return static_cast<uint8_t>(v & 0xFF); }

}  // namespace compactor
