#pragma once
// Positions as the protocol counts them, over texts as the server keeps them (UTF-8): lines
// from 0, characters in UTF-16 code units. Every Windows-1252 character is one unit, so a
// column of a description (characters from 1) is one unit a character; only a character
// beyond the Basic Multilingual Plane, which no description can hold, takes two. And the
// file URIs of the protocol as paths, both ways.

#include <cstddef>
#include <filesystem>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "sources/text_position.h"

namespace compactor::lsp {

struct Position {
  int line = 0;
  int character = 0;
  bool operator==(const Position&) const = default;
  auto operator<=>(const Position&) const = default;
};

struct Range {
  Position start;
  Position end;
  bool operator==(const Range&) const = default;
};

nlohmann::json to_json(const Position& p);
nlohmann::json to_json(const Range& r);
// Throws nlohmann::json::exception when the object is not a position or a range.
Position position_from_json(const nlohmann::json& j);
Range range_from_json(const nlohmann::json& j);

// The byte offset of a position in the text: a line past the last is the end of the text, a
// character past the end of its line the end of that line (before its line end).
size_t offset_at(std::string_view text, const LineIndex& lines, Position p);

// The UTF-16 units of the first `characters` characters of a UTF-8 line (all of it when it
// has fewer: a place past the end of a line stands at its end).
int utf16_units(std::string_view utf8_line, int characters);
// How many characters the first `units` UTF-16 units of a UTF-8 line hold (a unit inside a
// pair holds its character).
int characters_in(std::string_view utf8_line, int units);

// The position of a model's place (line and column from 1, the column in characters) in a
// text; line 0 stands for the file, its first position.
Position position_of(const LineIndex& lines, int line, int column);

// The path a file URI names ("file:///home/a/line.txt", "file:///c%3A/Giochi/line.txt"), or
// nullopt for any other URI (untitled:, a URI that is not well formed).
std::optional<std::filesystem::path> path_of_uri(std::string_view uri);
// The file URI of a path, written as editors write them: every byte but letters, digits,
// "-._~" and "/" percent-encoded, a drive letter in lower case.
std::string uri_of_path(const std::filesystem::path& path);

// A path as UTF-8, and back, whatever the system's own encoding of paths.
std::string utf8_of_path(const std::filesystem::path& path);
std::filesystem::path path_of_utf8(std::string_view utf8);

}  // namespace compactor::lsp
