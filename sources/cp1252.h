#pragma once
// Windows-1252: the one code page of every text the system writes. Sources keep
// their texts in UTF-8 and encode them on the way out.

#include <cstddef>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

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

// True when the bytes are well-formed UTF-8.
bool is_valid_utf8(std::string_view bytes);

// The UTF-8 sequence at s[i]: its length and code point, or length 0 when the bytes there
// are not UTF-8 (truncated, overlong forms and surrogates included).
size_t utf8_sequence(std::string_view s, size_t i, char32_t& cp);

// A character of a UTF-8 text that cannot be converted: malformed, or without a
// Windows-1252 byte. offset and length are in bytes of the UTF-8 text.
struct Cp1252Problem {
  size_t offset;
  size_t length;
  bool malformed;
};

// UTF-8 to Windows-1252 as far as it goes: every character that cannot be converted is
// listed in problems (at most max_problems of them) and stands as '?' in the result.
std::string utf8_to_cp1252_listing(std::string_view utf8, std::vector<Cp1252Problem>& problems,
                                   size_t max_problems);

// Windows-1252 bytes to UTF-8 (the five unassigned bytes map to U+0081 etc.).
std::string cp1252_to_utf8(std::string_view bytes);

}  // namespace compactor
