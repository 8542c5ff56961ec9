#include "sources/text_bounds.h"

namespace compactor {

Message line_too_long_message(size_t bytes) {
  return msg(MessageId::line_too_long, std::to_string(bytes), std::to_string(kLongestTextLine));
}

Message problems_not_shown_message(size_t count) {
  return msg(count == 1 ? MessageId::problems_not_shown_one : MessageId::problems_not_shown_many,
             std::to_string(count));
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
                              msg(MessageId::description_too_many_lines, std::to_string(kMostPairLines))};
  }
  return std::nullopt;
}

}  // namespace compactor
