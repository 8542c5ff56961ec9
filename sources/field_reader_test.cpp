#include "sources/field_reader.h"

#include <gtest/gtest.h>

#include <clocale>

namespace compactor {
namespace {

std::vector<std::string> all_text_fields(std::string_view text) {
  FieldReader r(text);
  std::vector<std::string> out;
  while (!r.at_end()) out.push_back(r.read_text().text);
  return out;
}

TEST(FieldReader, FieldsEndAtCommasAndLineEnds) {
  using V = std::vector<std::string>;
  struct Case {
    std::string_view text;
    V fields;
  };
  const Case cases[] = {
      {"lunghezza percorso,    34000\r\n", V{"lunghezza percorso", "34000"}},
      {"lunghezza percorso\r\n34000\r\n", V{"lunghezza percorso", "34000"}},
      {"a,,b\r\n", V{"a", "", "b"}},
      {"a,\r\nb\r\n", V{"a", "", "b"}},
      {"\r\n\r\nx\r\n", V{"", "", "x"}},
      {"   x y  ,z", V{"x y  ", "z"}},
      {"a\nb\rc", V{"a", "b", "c"}},
      {"BIVIO SANT' ELIA DI LAGO\r\n", V{"BIVIO SANT' ELIA DI LAGO"}},
  };
  for (const auto& c : cases) EXPECT_EQ(all_text_fields(c.text), c.fields) << c.text;
}

TEST(FieldReader, NumbersEndAtSpacesAndPassOverTrailingSpaces) {
  FieldReader r("orologio,    18              20            30 \r\n0    ,0\r\n");
  EXPECT_EQ(r.read_text().text, "orologio");
  EXPECT_EQ(r.read_i16(), 18);
  EXPECT_EQ(r.read_i16(), 20);
  EXPECT_EQ(r.read_i16(), 30);
  EXPECT_EQ(r.read_i32(), 0);
  EXPECT_EQ(r.read_i32(), 0);
  EXPECT_TRUE(r.at_end());
}

TEST(FieldReader, EmptyAndNonNumericFieldsReadZero) {
  FieldReader r("indicatori_vmax,  800,  125,  135,  135,  0,  ,  ,  ,  0\r\nabc,-40,+7,12.5,13.5,4x\r\n");
  EXPECT_EQ(r.read_text().text, "indicatori_vmax");
  std::vector<int32_t> got;
  for (int i = 0; i < 9; ++i) got.push_back(r.read_i32());
  EXPECT_EQ(got, (std::vector<int32_t>{800, 125, 135, 135, 0, 0, 0, 0, 0}));
  EXPECT_EQ(r.read_i32(), 0);  // abc
  EXPECT_EQ(r.read_i32(), -40);
  EXPECT_EQ(r.read_i32(), 7);
  EXPECT_EQ(r.read_i32(), 12);  // halves to even
  EXPECT_EQ(r.read_i32(), 14);
  EXPECT_EQ(r.read_i32(), 0);  // 4x is not a number
  EXPECT_TRUE(r.at_end());
}

// Beyond the range of a double: read as an infinity, too large for every field.
const std::string kHugeNumber = "-" + std::string(400, '9');

TEST(FieldReader, NumberOutOfItsWidthIsAReadingFailure) {
  struct Case {
    std::string_view text;
    int width;
    bool fails;
  };
  const Case cases[] = {
      {"255", 8, false},        {"256", 8, true},           {"300", 8, true},
      {"-1", 8, true},          {"32767", 16, false},       {"32768", 16, true},
      {"-32768", 16, false},    {"-32769", 16, true},       {"2147483647", 32, false},
      {"2147483648", 32, true}, {"-2147483648", 32, false}, {"99999999999999999999999", 32, true},
      {kHugeNumber, 32, true},
  };
  for (const auto& c : cases) {
    FieldReader r(c.text);
    auto read = [&] {
      if (c.width == 8) return static_cast<int64_t>(r.read_u8());
      if (c.width == 16) return static_cast<int64_t>(r.read_i16());
      return static_cast<int64_t>(r.read_i32());
    };
    if (c.fails)
      EXPECT_THROW(read(), ReadingFailure) << c.text;
    else
      EXPECT_NO_THROW(read()) << c.text;
  }
}

// Under a locale whose decimal separator is a comma the point still separates the decimals.
TEST(FieldReader, NumbersReadTheSameUnderAnyLocale) {
  const char* const saved = std::setlocale(LC_NUMERIC, nullptr);
  const std::string before = saved ? saved : "C";
  bool switched = false;
  for (const char* name : {"de_DE.UTF-8", "it_IT.UTF-8", "fr_FR.UTF-8"})
    if (std::setlocale(LC_NUMERIC, name)) {
      switched = true;
      break;
    }
  FieldReader r("12.5,13.5,-0.5\r\n");
  const int32_t a = r.read_i32(), b = r.read_i32(), c = r.read_i32();
  std::setlocale(LC_NUMERIC, before.c_str());
  EXPECT_EQ(a, 12);
  EXPECT_EQ(b, 14);
  EXPECT_EQ(c, 0);
  if (!switched) GTEST_SKIP() << "no locale with a decimal comma installed";
}

TEST(FieldReader, ReadingPastTheEndIsAReadingFailure) {
  FieldReader r("pendenza,  500\r\n");
  r.read_text();
  r.read_i32();
  EXPECT_TRUE(r.at_end());
  EXPECT_THROW(r.read_i32(), ReadingFailure);
  EXPECT_THROW(r.read_text(), ReadingFailure);
  FieldReader empty("");
  EXPECT_TRUE(empty.at_end());
  EXPECT_THROW(empty.read_text(), ReadingFailure);
}

TEST(FieldReader, FieldsKnowTheirLineAndColumn) {
  FieldReader r("[generale]\r\nlunghezza percorso,    34000\r\n  x,y");
  EXPECT_EQ(r.read_text().line, 1);
  const Field kw = r.read_text();
  EXPECT_EQ(kw.line, 2);
  EXPECT_EQ(kw.column, 1);
  r.read_i32();
  EXPECT_EQ(r.last().line, 2);
  EXPECT_EQ(r.last().column, 24);
  const Field x = r.read_text();
  EXPECT_EQ(x.line, 3);
  EXPECT_EQ(x.column, 3);
  EXPECT_EQ(r.line_text(2), "lunghezza percorso,    34000");
  EXPECT_EQ(r.line_text(3), "  x,y");
  EXPECT_EQ(r.line_text(9), "");
  try {
    r.read_text();
    r.read_i32();
    FAIL();
  } catch (const ReadingFailure& f) {
    EXPECT_EQ(f.line(), 3);
  }
}

TEST(KeywordTests, SubstringsWithAndWithoutCase) {
  EXPECT_TRUE(contains("progressiva chilometrica uno", "progressiva"));
  EXPECT_FALSE(contains("Progressiva chilometrica uno", "progressiva"));
  EXPECT_TRUE(contains_nocase("Lunghezza Percorso", "percorso"));
  EXPECT_TRUE(contains_nocase("xxSTAZIONExx", "stazione"));
  EXPECT_FALSE(contains_nocase("[stazioni]", "stazione"));
  EXPECT_FALSE(contains_nocase("ab", "abc"));
}

TEST(KeywordTests, SectionHeaders) {
  EXPECT_TRUE(is_section_header("[curve]"));
  EXPECT_TRUE(is_section_header("  x]y[ "));
  EXPECT_FALSE(is_section_header(" -[curve]"));
  EXPECT_TRUE(is_section_header("[cur-ve]"));
  EXPECT_FALSE(is_section_header("[curve"));
}

}  // namespace
}  // namespace compactor
