#pragma once
// Little-endian coding: the one byte order of every binary the system writes and reads (the
// compiled files, a pack program's payload and trailer, a Windows program's headers). Values
// of a fixed width in memory, and integers of a given number of bytes in a text of bytes.

#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <type_traits>

namespace compactor {

// Writes v at out, least significant byte first; returns the end.
template <typename T>
char* put_le(char* out, T v) {
  using Word = std::make_unsigned_t<T>;
  const auto w = static_cast<Word>(v);
  if constexpr (std::endian::native != std::endian::little) {
    for (size_t k = 0; k < sizeof w; ++k) out[k] = static_cast<char>(static_cast<uint8_t>(w >> (8 * k)));
  } else {
    std::memcpy(out, &w, sizeof w);
  }
  return out + sizeof w;
}

// The value of T's width at in, least significant byte first.
template <typename T>
T get_le(const char* in) {
  using Word = std::make_unsigned_t<T>;
  Word v = 0;
  if constexpr (std::endian::native != std::endian::little) {
    for (size_t k = 0; k < sizeof v; ++k)
      v = static_cast<Word>(v | Word{static_cast<uint8_t>(in[k])} << (8 * k));
  } else {
    std::memcpy(&v, in, sizeof v);
  }
  return static_cast<T>(v);
}

// Appends the low `bytes` bytes of value, least significant first.
inline void append_le(std::string& out, uint64_t value, int bytes) {
  for (int i = 0; i < bytes; ++i) out.push_back(static_cast<char>((value >> (8 * i)) & 0xFF));
}

// The integer of `bytes` bytes at offset, or nullopt when the data ends first.
inline std::optional<uint64_t> read_le(std::string_view data, size_t offset, int bytes) {
  if (offset > data.size() || data.size() - offset < static_cast<size_t>(bytes)) return std::nullopt;
  uint64_t value = 0;
  for (int i = bytes - 1; i >= 0; --i)
    value = (value << 8) | static_cast<uint8_t>(data[offset + static_cast<size_t>(i)]);
  return value;
}

}  // namespace compactor
