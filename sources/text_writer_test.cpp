#include "sources/text_writer.h"

#include <gtest/gtest.h>

#include "sources/cp1252.h"
#include "sources/file_names.h"
#include "sources/line_content.h"
#include "sources/memory_sink.h"
#include "sources/train_content.h"
#include "sources/written_lines.h"

namespace compactor {
namespace {

TEST(TextWriter, WritesEveryLineWithCrLfAndStopsAtTheMarker) {
  const std::string_view content[] = {"uno", "", "  due  "};
  EXPECT_EQ(render_line_table(fill_line_table(content)), "uno\r\n\r\n  due  \r\n");
}

TEST(TextWriter, MarkerInTheContentEndsTheFile) {
  const std::string_view content[] = {"a", "riferimento fine del file", "b"};
  EXPECT_EQ(render_line_table(fill_line_table(content)), "a\r\n");
  // The comparison is exact and case-sensitive.
  const std::string_view near[] = {"Riferimento fine del file", "riferimento fine del file "};
  EXPECT_EQ(render_line_table(fill_line_table(near)),
            "Riferimento fine del file\r\nriferimento fine del file \r\n");
}

TEST(TextWriter, TableWithoutMarkerStopsAfterItsLastEntry) {
  const std::vector<std::string> table = {"x", "y"};
  EXPECT_EQ(render_line_table(table), "x\r\ny\r\n");
  EXPECT_EQ(render_line_table(std::vector<std::string>{}), "");
}

TEST(TextWriter, TableHoldsAtMostOneThousandLinesBeforeTheMarker) {
  std::vector<std::string_view> many(1000, "l");
  EXPECT_EQ(fill_line_table(many).size(), kLineTableSize);
  many.push_back("l");
  EXPECT_THROW(fill_line_table(many), std::length_error);
}

TEST(TextWriter, EncodesWindows1252AndRefusesOtherCharacters) {
  const std::string_view content[] = {"N° è à ù €"};
  EXPECT_EQ(render_line_table(fill_line_table(content)), "N\xB0 \xE8 \xE0 \xF9 \x80\r\n");
  const std::string_view bad[] = {"ok", "Ω"};
  EXPECT_THROW(render_line_table(fill_line_table(bad)), EncodingError);
}

TEST(TextWriter, ReplacesTheWholeFile) {
  MemorySink sink;
  sink.files["f.txt"] = "an older and much longer content\r\n";
  const std::string_view content[] = {"new"};
  write_fixed_text(sink, "f.txt", content);
  EXPECT_EQ(sink.files["f.txt"], "new\r\n");
}

TEST(Cp1252, RoundTripsEveryAssignedByte) {
  for (int b = 1; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    const std::string utf8 = cp1252_to_utf8(byte);
    EXPECT_EQ(utf8_to_cp1252(utf8), byte) << b;
  }
  EXPECT_THROW(utf8_to_cp1252("\xC3"), EncodingError);      // truncated
  EXPECT_THROW(utf8_to_cp1252("\xC0\xAF"), EncodingError);  // overlong
  EXPECT_THROW(utf8_to_cp1252("\xFF"), EncodingError);
  EXPECT_FALSE(is_cp1252_encodable("\xC2\x80"));  // U+0080: the byte 0x80 is the euro sign
}

TEST(LineContent, IsTheQuotedDescriptionByteForByte) {
  MemorySink sink;
  dati_linea(sink, "Rovella_Tirsa");
  const std::string& bytes = sink.files.at("Rovella_Tirsa_linea.txt");
  EXPECT_EQ(bytes.size(), 4072u);
  const auto lines = written_lines(bytes);
  ASSERT_EQ(lines.size(), 112u);
  EXPECT_EQ(lines.front(), "[generale]");
  EXPECT_EQ(lines.back(), "[fine]");
  EXPECT_EQ(lines[1], "lunghezza percorso,    34000");
  EXPECT_EQ(lines[8], "ripetizione segnali 4 codici,    0    ,0");
  EXPECT_EQ(lines[72], "indicatori_vmax,  800,  125,  135,  135,  0,  ,  ,  ,  0");
  EXPECT_EQ(lines[98], "cartello_indicatore,  20800,   ( CAVALCAVIA   )(STRADA STATALE)(  N\xB0 47       )");
  for (size_t i = 0; i < lines.size(); ++i) {
    const bool has_high = std::any_of(lines[i].begin(), lines[i].end(),
                                      [](char c) { return static_cast<unsigned char>(c) > 0x7F; });
    EXPECT_EQ(has_high, i == 98 || i == 102) << "line " << i + 1;
  }
  EXPECT_EQ(bytes.find("riferimento"), std::string::npos);
}

TEST(TrainContent, IsTheQuotedDescriptionByteForByte) {
  MemorySink sink;
  dati_treno(sink, "Rovella_Tirsa", "7162");
  const std::string& bytes = sink.files.at(train_description_name("Rovella_Tirsa", "7162"));
  EXPECT_EQ(bytes.size(), 1417u);
  const auto lines = written_lines(bytes);
  ASSERT_EQ(lines.size(), 34u);
  EXPECT_EQ(lines[4], "orologio,    18              20            30 ");
  EXPECT_EQ(
      lines[18],
      "stazione,   21900, 25,  200,  0, 0, 0,  0,0,0,  0,0,0,    0,   0, 0, 0, BIVIO SANT' ELIA DI LAGO");
  EXPECT_EQ(lines.back(), "[fine]");
}

}  // namespace
}  // namespace compactor
