#include "sources/text_bounds.h"

#include <gtest/gtest.h>

namespace compactor {
namespace {

// A description is read line by line as the field reader reads it: CR LF, LF and CR end a line.
TEST(TextBounds, DescriptionLargerThanAnyIsFoundAtItsLine) {
  const std::string longest(kLongestTextLine, 'x');
  std::string most_lines;
  for (size_t i = 0; i < kMostPairLines; ++i) most_lines += (i % 3 == 0 ? "a\r\n" : i % 3 == 1 ? "b\n" : "c\r");
  const struct {
    std::string text;
    int line, column;  // 0: no problem
  } cases[] = {
      {"", 0, 0},
      {longest + "\r\n" + longest, 0, 0},
      {"a\r\n" + longest + "x\r\n", 2, 1025},
      {"a\rb\r" + longest + "y", 3, 1025},
      {most_lines, 0, 0},
      {most_lines + "one more", static_cast<int>(kMostPairLines) + 1, 1},
  };
  for (const auto& c : cases) {
    const auto problem = description_shape_problem(c.text);
    EXPECT_EQ(problem ? problem->line : 0, c.line) << c.text.substr(0, 20);
    EXPECT_EQ(problem ? problem->column : 0, c.column) << c.text.substr(0, 20);
  }
}

}  // namespace
}  // namespace compactor
