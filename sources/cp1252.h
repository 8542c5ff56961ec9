#pragma once
// Windows-1252: the one code page of every text the system writes. Sources keep
// their texts in UTF-8 and encode them on the way out.

#include <stdexcept>
#include <string>
#include <string_view>

namespace compactor {

class EncodingError : public std::runtime_error {
 public:
  explicit EncodingError(const std::string& what) : std::runtime_error(what) {}
};

// UTF-8 to Windows-1252, one byte per character. Throws EncodingError on malformed
// UTF-8 or on a character that has no Windows-1252 byte.
std::string utf8_to_cp1252(std::string_view utf8);

// True when utf8_to_cp1252 would succeed.
bool is_cp1252_encodable(std::string_view utf8);

// Windows-1252 bytes to UTF-8 (the five unassigned bytes map to U+0081 etc.).
std::string cp1252_to_utf8(std::string_view bytes);

}  // namespace compactor
