#include "sources/cp1252.h"

#include <cstdint>

namespace compactor {

size_t utf8_sequence(std::string_view s, size_t i, char32_t& cp) {
  const auto b0 = static_cast<uint8_t>(s[i]);
  size_t extra = 0;
  if (b0 < 0x80) {
    cp = b0;
    return 1;
  } else if ((b0 & 0xE0) == 0xC0) {
    extra = 1;
    cp = b0 & 0x1F;
  } else if ((b0 & 0xF0) == 0xE0) {
    extra = 2;
    cp = b0 & 0x0F;
  } else if ((b0 & 0xF8) == 0xF0) {
    extra = 3;
    cp = b0 & 0x07;
  } else {
    return 0;
  }
  if (i + extra >= s.size()) return 0;
  for (size_t k = 1; k <= extra; ++k) {
    const auto b = static_cast<uint8_t>(s[i + k]);
    if ((b & 0xC0) != 0x80) return 0;
    cp = (cp << 6) | (b & 0x3F);
  }
  constexpr char32_t kLeast[4] = {0, 0x80, 0x800, 0x10000};
  if (cp < kLeast[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
  return extra + 1;
}
namespace {

// Code points of the bytes 0x80 to 0x9F; 0 marks a byte with no character.
constexpr char32_t kHighTable[32] = {
    0x20AC, 0,      0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0,      0x017D, 0,      0,      0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0,      0x017E, 0x0178,
};

int byte_of(char32_t cp) {
  if (cp < 0x80 || (cp >= 0xA0 && cp <= 0xFF)) return static_cast<int>(cp);
  for (int i = 0; i < 32; ++i) {
    if (kHighTable[i] != 0 && kHighTable[i] == cp) return 0x80 + i;
    // The five unassigned bytes stand for the control characters of the same number,
    // both ways, so a text read from a file goes back to the same bytes.
    if (kHighTable[i] == 0 && cp == static_cast<char32_t>(0x80 + i)) return 0x80 + i;
  }
  return -1;
}

void append_utf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes one UTF-8 sequence at s[i]; returns the code point and advances i. Throws on malformed input.
char32_t next_code_point(std::string_view s, size_t& i) {
  char32_t cp = 0;
  const size_t n = utf8_sequence(s, i, cp);
  if (n == 0) {
    const auto b0 = static_cast<uint8_t>(s[i]);
    const size_t extra = (b0 & 0xE0) == 0xC0 ? 1 : (b0 & 0xF0) == 0xE0 ? 2 : (b0 & 0xF8) == 0xF0 ? 3 : 0;
    throw EncodingError((extra > 0 && i + extra >= s.size() ? "truncated" : "malformed") +
                        std::string(" UTF-8 at byte ") + std::to_string(i));
  }
  i += n;
  return cp;
}

}  // namespace

std::string utf8_to_cp1252(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    const size_t at = i;
    const char32_t cp = next_code_point(utf8, i);
    const int b = byte_of(cp);
    if (b < 0)
      throw EncodingError("character U+" + std::to_string(static_cast<uint32_t>(cp)) + " at byte " +
                          std::to_string(at) + " has no Windows-1252 byte");
    out += static_cast<char>(b);
  }
  return out;
}

bool is_valid_utf8(std::string_view bytes) {
  size_t i = 0;
  try {
    while (i < bytes.size()) (void)next_code_point(bytes, i);
  } catch (const EncodingError&) {
    return false;
  }
  return true;
}

std::string utf8_to_cp1252_listing(std::string_view utf8, std::vector<Cp1252Problem>& problems,
                                   size_t max_problems) {
  std::string out;
  out.reserve(utf8.size());
  size_t i = 0;
  while (i < utf8.size()) {
    const size_t at = i;
    int b = -1;
    bool malformed = false;
    try {
      b = byte_of(next_code_point(utf8, i));
    } catch (const EncodingError&) {
      malformed = true;
      i = at + 1;
    }
    if (b < 0) {
      if (problems.size() < max_problems) problems.push_back(Cp1252Problem{at, i - at, malformed});
      b = '?';
    }
    out += static_cast<char>(b);
  }
  return out;
}

bool is_cp1252_encodable(std::string_view utf8) {
  try {
    (void)utf8_to_cp1252(utf8);
    return true;
  } catch (const EncodingError&) {
    return false;
  }
}

std::string cp1252_to_utf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char ch : bytes) {
    const auto b = static_cast<uint8_t>(ch);
    char32_t cp = b;
    if (b >= 0x80 && b < 0xA0 && kHighTable[b - 0x80] != 0) cp = kHighTable[b - 0x80];
    append_utf8(out, cp);
  }
  return out;
}

}  // namespace compactor
