#include "documents/notes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <map>
#include <set>

#include "sources/memory_sink.h"
#include "sources/text_writer.h"
#include "sources/written_lines.h"

namespace compactor {
namespace {

// The notes as written, in Windows-1252, with their lines numbered from 1.
class NotesDocument : public testing::Test {
 protected:
  void SetUp() override {
    MemorySink sink;
    dati_note(sink, "Rovella_Tirsa", "7162");
    ASSERT_EQ(sink.files.count("Rovella_Tirsa_7162_note.txt"), 1u);
    bytes = sink.files["Rovella_Tirsa_7162_note.txt"];
    lines = written_lines(bytes);
    ASSERT_EQ(lines.size(), 162u);
  }
  const std::string& line(size_t n) const { return lines[n - 1]; }
  static bool blank(const std::string& s) { return s.find_first_not_of(' ') == std::string::npos; }
  // Prose lines are the written lines of the prose blocks; lines 5, 6, 160 and 162 are
  // header and closing text of their own.
  bool in_prose_block(size_t n) const {
    return (n >= 10 && n <= 41) || (n >= 46 && n <= 63) || (n >= 67 && n <= 111) || (n >= 120 && n <= 145) ||
           (n >= 149 && n <= 154);
  }
  bool is_prose(size_t n) const { return in_prose_block(n) && !blank(line(n)); }

  // Fixed lines, headings and sub-headings.
  inline static const std::map<size_t, std::string> kTitles = {{1, "LINEA :  ROVELLA -- TIRSA"},
                                                               {3, "TRENO : 7162"},
                                                               {8, "INTRODUZIONE"},
                                                               {44, "LA LINEA SIMULATA"},
                                                               {65, "  IMPRECISIONI NELLA LINEA SIMULATA"},
                                                               {115, "LA LINEA REALE"},
                                                               {119, "   ROVELLA"},
                                                               {147, "   TIRSA"}};

  std::string bytes;
  std::vector<std::string> lines;
};

TEST_F(NotesDocument, TitlesStandOnTheirLines) {
  for (const auto& [n, text] : kTitles) EXPECT_EQ(line(n), text) << "line " << n;
}

TEST_F(NotesDocument, SeparatorsStandWhereTheLayoutPutsThem) {
  const std::string one = " ", two = "  ", eight(8, ' ');
  std::map<size_t, std::string> separators = {{9, two},  {26, one}, {51, one},    {53, one},    {57, one},
                                              {63, one}, {66, one}, {126, eight}, {146, eight}, {148, eight}};
  for (size_t n : {2, 4, 7, 42, 43, 45, 64, 112, 113, 114, 116, 117, 118, 155, 156, 157, 158, 159, 161})
    separators[n] = "";
  for (const auto& [n, text] : separators) EXPECT_EQ(line(n), text) << "line " << n;
  // Between the paragraphs of the differences only these separators occur.
  const std::set<std::string> allowed = {"", one, eight, std::string(9, ' '), std::string(16, ' ')};
  for (size_t n = 67; n <= 111; ++n) {
    if (!blank(line(n))) continue;
    EXPECT_TRUE(allowed.contains(line(n))) << "line " << n;
  }
}

TEST_F(NotesDocument, CountsOfBlankAndProseLinesHold) {
  EXPECT_EQ(std::count(lines.begin(), lines.end(), ""), 22);
  EXPECT_EQ(std::count(lines.begin(), lines.end(), " "), 10);
  size_t prose = 0, ending_in_space = 0;
  for (size_t n = 1; n <= lines.size(); ++n) {
    if (!is_prose(n)) continue;
    ++prose;
    if (line(n).back() == ' ') ++ending_in_space;
  }
  EXPECT_EQ(prose, 111u);
  EXPECT_EQ(ending_in_space, 39u);
}

TEST_F(NotesDocument, ProseWidthsAndIndentsFollowTheirBlocks) {
  const auto indent_of = [](size_t n) -> size_t {
    if (n == 10) return 2;
    if (n == 81) return 9;
    if ((n >= 101 && n <= 111) || (n >= 120 && n <= 145) || (n >= 149 && n <= 154)) return 8;
    return 1;
  };
  size_t usual = 0;
  for (size_t n = 1; n <= lines.size(); ++n) {
    EXPECT_LE(line(n).size(), 97u) << "line " << n;
    if (!is_prose(n)) continue;
    EXPECT_GE(line(n).size(), 25u) << "line " << n;
    EXPECT_EQ(line(n).find_first_not_of(' '), indent_of(n)) << "line " << n;
    if (line(n).size() >= 53 && line(n).size() <= 90) ++usual;
  }
  EXPECT_GT(usual, 111u / 2);
  // Every block that the layout gives to prose is prose from end to end, but for its separators.
  for (size_t n : {10, 25, 27, 41, 46, 62, 67, 81, 101, 111, 120, 145, 149, 154})
    EXPECT_TRUE(is_prose(n)) << "line " << n;
  for (size_t n : {5, 6, 160, 162}) EXPECT_FALSE(blank(line(n))) << "line " << n;
  // Outside the prose blocks only titles, these four text lines and separators stand.
  for (size_t n = 1; n <= lines.size(); ++n)
    if (!in_prose_block(n) && !blank(line(n)) && !kTitles.contains(n) && n != 5 && n != 6 && n != 160 &&
        n != 162)
      ADD_FAILURE() << "unexpected text on line " << n;
}

TEST_F(NotesDocument, AccentsAndDegreeSignAreSingleWindows1252Bytes) {
  for (unsigned char c : {0xE0, 0xE8, 0xEC, 0xF2, 0xF9, 0xB0})  // à è ì ò ù °
    EXPECT_NE(bytes.find(static_cast<char>(c)), std::string::npos) << std::hex << int(c);
  EXPECT_NE(bytes.find("4\xB0 binario"), std::string::npos);
  // No UTF-8 sequence survives: no lead byte followed by a continuation byte.
  for (size_t i = 0; i + 1 < bytes.size(); ++i) {
    const auto lead = static_cast<unsigned char>(bytes[i]), next = static_cast<unsigned char>(bytes[i + 1]);
    EXPECT_FALSE(lead >= 0xC2 && lead <= 0xF4 && next >= 0x80 && next <= 0xBF) << "offset " << i;
  }
}

TEST_F(NotesDocument, EndsEveryLineWithCrLfAndLeavesTheMarkerOut) {
  ASSERT_TRUE(bytes.ends_with("\r\n"));
  for (const auto& l : lines) EXPECT_EQ(l.find_first_of("\r\n"), std::string::npos) << l;
  EXPECT_EQ(bytes.find(kEndOfText), std::string::npos);
  EXPECT_EQ(notes_lines().size(), 162u);
}

}  // namespace
}  // namespace compactor
