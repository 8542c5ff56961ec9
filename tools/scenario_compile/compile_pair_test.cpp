#include "tools/scenario_compile/compile_pair.h"

#include <gtest/gtest.h>

namespace compactor {
namespace {

TEST(IdentityProblem, NamesThatCannotNameFilesSafelyAreRefused) {
  struct Case {
    std::string name;
    bool refused;
  };
  const Case cases[] = {
      {"Rovella_Tirsa", false},
      {"7162", false},
      {"Citt\xC3\xA0 Alta", false},   // "Città Alta": à is a Windows-1252 byte
      {"Linea \xE2\x82\xAC", false},  // the euro sign is 0x80 in Windows-1252
      {"", true},
      {"../x", true},
      {"a/b", true},
      {"a\\b", true},
      {"..", true},
      {"a..b", true},
      {"x\ty", true},
      {"x\ny", true},
      {"x\x7Fy", true},
      {"\xC2\x81", true},      // U+0081 is a control character
      {"\xE6\x97\xA5", true},  // a CJK character
      {"\xFF", true},          // not UTF-8 at all
  };
  for (const auto& c : cases)
    EXPECT_EQ(identity_problem(c.name).has_value(), c.refused) << "name: " << c.name;
}

TEST(FormatSummary, CountsErrorsWarningsAndFiles) {
  EXPECT_EQ(format_summary(0, 0, 3), "compiled: 3 files written\n");
  EXPECT_EQ(format_summary(0, 1, 2), "compiled, 1 warning: 2 files written\n");
  EXPECT_EQ(format_summary(1, 2, 0), "1 error, 2 warnings; nothing written\n");
  EXPECT_EQ(format_summary(2, 0, 0), "2 errors; nothing written\n");
  EXPECT_EQ(format_summary(1, 0, 1), "1 error; 1 file written\n");
}

}  // namespace
}  // namespace compactor
