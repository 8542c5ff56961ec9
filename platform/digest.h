#pragma once
// The SHA-256 of some bytes, from the system's or a well-kept library's implementation:
// OpenSSL's libcrypto on POSIX systems, BCrypt on Windows.

#include <array>
#include <cstdint>
#include <string_view>

namespace compactor {

// Throws std::runtime_error when the system cannot compute it.
std::array<uint8_t, 32> sha256(std::string_view bytes);

}  // namespace compactor
