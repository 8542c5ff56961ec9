#include "sources/text_bounds.h"

namespace compactor {

std::string line_too_long_message(size_t bytes) {
  return "the line holds " + std::to_string(bytes) + " bytes, more than a line of a scenario's text can (" +
         std::to_string(kLongestTextLine) + " at most)";
}

std::string problems_not_shown_message(size_t count) {
  return std::to_string(count) + " more problem" + (count == 1 ? " is" : "s are") + " in this file, not shown";
}

std::optional<TextShapeProblem> description_shape_problem(std::string_view bytes) {
  size_t line = 1;
  size_t start = 0;
  for (size_t i = 0; i <= bytes.size(); ++i) {
    const bool end = i == bytes.size() || bytes[i] == '\n' || bytes[i] == '\r';
    if (!end) continue;
    if (i - start > kLongestTextLine)
      return TextShapeProblem{static_cast<int>(line), static_cast<int>(kLongestTextLine) + 1,
                              line_too_long_message(i - start)};
    if (i == bytes.size()) break;
    if (bytes[i] == '\r' && i + 1 < bytes.size() && bytes[i + 1] == '\n') ++i;
    start = i + 1;
    if (start < bytes.size() && ++line > kMostPairLines)
      return TextShapeProblem{static_cast<int>(line), 1,
                              "the description has more than " + std::to_string(kMostPairLines) +
                                  " lines, more than any description can (a description compiled as a pair "
                                  "holds " + std::to_string(kMostPairLines) + " at most)"};
  }
  return std::nullopt;
}

}  // namespace compactor
