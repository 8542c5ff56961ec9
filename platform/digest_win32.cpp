// SHA-256 on Windows: the system's BCrypt.
#define NOMINMAX
#define WIN32_LEAN_AND_MEAN
#include <windows.h>
#include <bcrypt.h>

#include <stdexcept>

#include "platform/digest.h"

namespace compactor {

std::array<uint8_t, 32> sha256(std::string_view bytes) {
  std::array<uint8_t, 32> digest{};
  // BCryptHash takes the length as a ULONG: feed a large input in pieces.
  BCRYPT_ALG_HANDLE algorithm = nullptr;
  BCRYPT_HASH_HANDLE hash = nullptr;
  bool ok = BCryptOpenAlgorithmProvider(&algorithm, BCRYPT_SHA256_ALGORITHM, nullptr, 0) == 0 &&
            BCryptCreateHash(algorithm, &hash, nullptr, 0, nullptr, 0, 0) == 0;
  while (ok && !bytes.empty()) {
    const ULONG piece = bytes.size() > (1u << 30) ? (1u << 30) : static_cast<ULONG>(bytes.size());
    ok = BCryptHashData(hash, reinterpret_cast<PUCHAR>(const_cast<char*>(bytes.data())), piece, 0) == 0;
    bytes.remove_prefix(piece);
  }
  ok = ok && BCryptFinishHash(hash, digest.data(), static_cast<ULONG>(digest.size()), 0) == 0;
  if (hash) BCryptDestroyHash(hash);
  if (algorithm) BCryptCloseAlgorithmProvider(algorithm, 0);
  if (!ok) throw std::runtime_error("BCrypt cannot compute a SHA-256");
  return digest;
}

}  // namespace compactor
