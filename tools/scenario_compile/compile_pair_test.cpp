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

TEST(FormatFault, CaretSitsUnderAFieldInsideTheLineAndSpansItUpToTheComma) {
  const std::string source = "stazione,   6800, 300,  500\r\n";
  EXPECT_EQ(format_fault(25, 0, "t.txt", 1, 19, source),
            "t.txt:1:19: error: fault 25: reading failure: a number does not fit its field, or the text ends "
            "inside a record\n"
            "stazione,   6800, 300,  500\n"
            "                  ^~~\n");
}

TEST(FormatFault, TabsAreKeptInTheCaretLineAndWindows1252IsShownAsUtf8) {
  const std::string source = "\t\xB0 x,\t  9\r\n";  // 0xB0 is the degree sign
  EXPECT_EQ(format_fault(15, 9, "l.txt", 1, 9, source),
            "l.txt:1:9: error: fault 15: position out of range for the line (at 9 m)\n"
            "\t\xC2\xB0 x,\t  9\n"
            "\t    \t  ^\n");
}

TEST(FormatFault, FaultsWithoutPositionOrSiteLeaveThemOut) {
  EXPECT_EQ(format_fault(2, 1234, "", 0, 0, ""),
            "error: fault 2: a chainage reference start or chainage is not a multiple of 50\n");
  EXPECT_EQ(format_fault(101, 0, "dir/line.txt", 0, 0, ""),
            "dir/line.txt: error: fault 101: no line description file\n");
  // A line past the end of the text (the text ended inside a record) has no source to show.
  EXPECT_EQ(format_fault(25, 0, "t.txt", 4, 1, "a,\r\nb\r\n"),
            "t.txt:4:1: error: fault 25: reading failure: a number does not fit its field, or the text ends "
            "inside a record\n");
}

TEST(FormatConflict, ConflictIsAWarningWithItsPosition) {
  EXPECT_EQ(format_conflict(Conflict{12, 10050}),
            "warning: conflict 12: no free section in a window before a slow-down start (at 10050 m)\n");
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
