#include "lsp/text.h"

#include <algorithm>

namespace compactor::lsp {
namespace {

// The length of the UTF-8 character that starts with this byte (1 for a byte that starts none).
size_t sequence_length(unsigned char b) {
  if (b >= 0xF0 && b <= 0xF7) return 4;
  if (b >= 0xE0) return b <= 0xEF ? 3 : 1;
  if (b >= 0xC0) return 2;
  return 1;
}

bool is_ascii_letter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }

int hex_value(char c) {
  if (c >= '0' && c <= '9') return c - '0';
  if (c >= 'a' && c <= 'f') return c - 'a' + 10;
  if (c >= 'A' && c <= 'F') return c - 'A' + 10;
  return -1;
}

}  // namespace

nlohmann::json to_json(const Position& p) { return {{"line", p.line}, {"character", p.character}}; }
nlohmann::json to_json(const Range& r) { return {{"start", to_json(r.start)}, {"end", to_json(r.end)}}; }

Position position_from_json(const nlohmann::json& j) {
  return Position{j.at("line").get<int>(), j.at("character").get<int>()};
}
Range range_from_json(const nlohmann::json& j) {
  return Range{position_from_json(j.at("start")), position_from_json(j.at("end"))};
}

size_t offset_at(std::string_view text, const LineIndex& lines, Position p) {
  if (p.line < 0) return 0;
  if (p.line >= lines.lines()) return text.size();
  const std::string_view line = lines.line_text(p.line + 1);
  const size_t begin = static_cast<size_t>(line.data() - text.data());
  size_t i = 0;
  for (int units = 0; i < line.size() && units < p.character;) {
    const size_t n = std::min(sequence_length(static_cast<unsigned char>(line[i])), line.size() - i);
    units += n == 4 ? 2 : 1;
    i += n;
  }
  return begin + i;
}

int utf16_units(std::string_view line, int characters) {
  int units = 0;
  for (size_t i = 0; i < line.size() && characters > 0; --characters) {
    const size_t n = std::min(sequence_length(static_cast<unsigned char>(line[i])), line.size() - i);
    units += n == 4 ? 2 : 1;
    i += n;
  }
  return units;
}

int characters_in(std::string_view line, int units) {
  int characters = 0;
  for (size_t i = 0; i < line.size() && units > 0; ++characters) {
    const size_t n = std::min(sequence_length(static_cast<unsigned char>(line[i])), line.size() - i);
    units -= n == 4 ? 2 : 1;
    i += n;
  }
  return characters + std::max(units, 0);
}

Position position_of(const LineIndex& lines, int line, int column) {
  if (line <= 0) return {};
  return Position{line - 1, utf16_units(lines.line_text(line), std::max(column - 1, 0))};
}

std::string utf8_of_path(const std::filesystem::path& path) {
  const std::u8string u8 = path.u8string();
  return std::string(u8.begin(), u8.end());
}

std::filesystem::path path_of_utf8(std::string_view utf8) {
  return std::filesystem::path(std::u8string(utf8.begin(), utf8.end()));
}

std::optional<std::filesystem::path> path_of_uri(std::string_view uri) {
  constexpr std::string_view kScheme = "file://";
  if (uri.size() < kScheme.size() ||
      !std::equal(kScheme.begin(), kScheme.end(), uri.begin(),
                  [](char a, char b) { return a == static_cast<char>(is_ascii_letter(b) ? b | 0x20 : b); }))
    return std::nullopt;
  uri.remove_prefix(kScheme.size());
  uri = uri.substr(0, uri.find_first_of("?#"));
  std::string decoded;
  for (size_t i = 0; i < uri.size(); ++i) {
    if (uri[i] != '%') {
      decoded += uri[i];
      continue;
    }
    if (i + 2 >= uri.size() || hex_value(uri[i + 1]) < 0 || hex_value(uri[i + 2]) < 0) return std::nullopt;
    decoded += static_cast<char>(hex_value(uri[i + 1]) * 16 + hex_value(uri[i + 2]));
    i += 2;
  }
  if (decoded.empty() || decoded.find('\0') != std::string::npos) return std::nullopt;
  // "file://server/share/x": a path on another machine (a UNC path on Windows).
  if (decoded.front() != '/') decoded = "//" + decoded;
  // "/c:/Giochi": a drive letter, where paths have them.
  const bool drive =
      decoded.size() >= 3 && decoded[0] == '/' && is_ascii_letter(decoded[1]) && decoded[2] == ':';
  if (drive && std::filesystem::path::preferred_separator == '\\') decoded.erase(0, 1);
  return path_of_utf8(decoded).lexically_normal();
}

std::string uri_of_path(const std::filesystem::path& path) {
  const std::u8string g = path.lexically_normal().generic_u8string();
  std::string generic(g.begin(), g.end());
  std::string out = "file://";
  if (generic.starts_with("//")) {
    out = "file:";  // "//server/share/x": the server is the URI's authority
  } else if (generic.size() >= 2 && is_ascii_letter(generic[0]) && generic[1] == ':') {
    generic[0] = static_cast<char>(generic[0] | 0x20);
    out += '/';
  }
  static constexpr char kHex[] = "0123456789ABCDEF";
  for (const char ch : generic) {
    const auto c = static_cast<unsigned char>(ch);
    if (is_ascii_letter(ch) || (ch >= '0' && ch <= '9') || ch == '-' || ch == '.' || ch == '_' || ch == '~' ||
        ch == '/') {
      out += ch;
    } else {
      out += '%';
      out += kHex[c >> 4];
      out += kHex[c & 15];
    }
  }
  return out;
}

}  // namespace compactor::lsp
