// SHA-256 on POSIX systems: OpenSSL's libcrypto.
#include <openssl/evp.h>

#include <stdexcept>

#include "platform/digest.h"

namespace compactor {

std::array<uint8_t, 32> sha256(std::string_view bytes) {
  std::array<uint8_t, 32> digest{};
  unsigned int size = 0;
  if (EVP_Digest(bytes.data(), bytes.size(), digest.data(), &size, EVP_sha256(), nullptr) != 1 ||
      size != digest.size())
    throw std::runtime_error("libcrypto cannot compute a SHA-256");
  return digest;
}

}  // namespace compactor
