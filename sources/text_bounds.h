#pragma once
// The most a text of a scenario can be, from its format, so that a file larger than any
// valid one is refused before it is read and memory stays bounded whatever is given.
//
// A line holds at most kLongestTextLine bytes: a record is a keyword and up to 18 fields
// (a number takes at most 11 characters, a text names a station or a sign), and a document's
// line is printed for the driver; the longest line of the examples and of the built-in
// scenario takes 98. A text of a pack, description or document, holds at most the 1000
// lines of the program's line table. A description compiled as a pair, never carried by a
// program, holds at most kMostPairLines lines (the generated 1000 km line takes 1713).
// docs/limits.md gives the same bounds to authors.

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "sources/messages.h"
#include "sources/text_writer.h"

namespace compactor {

inline constexpr size_t kLongestTextLine = 1024;  // bytes, its line end left out
inline constexpr size_t kMostPackTextLines = kLineTableSize - 1;
inline constexpr size_t kMostPairLines = 8192;
// The size of a text of so many lines, each of the longest, with CR LF and a UTF-8 byte-order mark.
inline constexpr uint64_t most_text_bytes(size_t lines) { return 3 + lines * (kLongestTextLine + 2); }
inline constexpr uint64_t kMostPackTextBytes = most_text_bytes(kMostPackTextLines);
inline constexpr uint64_t kMostPairDescriptionBytes = most_text_bytes(kMostPairLines);
// A manifest holds two names, an encoding and a list of warning names: a few hundred bytes.
inline constexpr uint64_t kMostManifestBytes = 64 * 1024;
// Problems reported at most for one file; the rest are counted and said in one line.
inline constexpr size_t kMostProblems = 500;

// Why a description given as a pair is larger than any valid one: more than kMostPairLines
// lines, or a line longer than kLongestTextLine (a line ends at CR LF, LF or CR, as the
// field reader reads it). nullopt when it is not.
struct TextShapeProblem {
  int line = 0;  // 1-based; the line that passes a bound
  int column = 0;
  Message message;
};
std::optional<TextShapeProblem> description_shape_problem(std::string_view bytes);

// "the line holds 2000 bytes, more than a line of a scenario's text can (1024 at most)"
Message line_too_long_message(size_t bytes);

// "N more problems in this file are not shown"
Message problems_not_shown_message(size_t count);

}  // namespace compactor
