#pragma once
// The bits of one trivially copyable value as another of the same size (a double's bits as
// a uint64_t and back). The one way every toolchain of the project has, browser included.

#include <cstring>
#include <type_traits>

namespace compactor {

template <class To, class From>
To bit_copy(const From& from) {
  static_assert(sizeof(To) == sizeof(From), "bit_copy needs two types of one size");
  static_assert(std::is_trivially_copyable_v<To> && std::is_trivially_copyable_v<From>);
  To to;
  std::memcpy(&to, &from, sizeof to);
  return to;
}

}  // namespace compactor
