#include "sources/record_fields.h"

#include <gtest/gtest.h>

#include <string>

namespace compactor {
namespace {

// Every row of the record tables has its fields, in order, and an example that reads as
// exactly those fields; every header has its meaning.
TEST(RecordFields, EveryRecordHasItsValueFieldsAndAnExampleThatReadsAsThem) {
  const auto check = [](Format format, const auto& keywords, std::span<const RecordInfo> info) {
    ASSERT_EQ(info.size(), keywords.size());
    for (size_t k = 0; k < keywords.size(); ++k) {
      const RecordInfo& r = info[k];
      const std::string written(keywords[k].written);
      EXPECT_EQ(r.keyword, &keywords[k]) << written;
      EXPECT_EQ(find_record_info(format, written), &r) << written;
      ASSERT_EQ(static_cast<int>(r.fields.size()), keywords[k].value_fields) << written;
      EXPECT_FALSE(r.meaning.en.empty() || r.meaning.it.empty()) << written;
      for (const FieldInfo& f : r.fields)
        EXPECT_FALSE(f.name.empty() || f.meaning.en.empty() || f.meaning.it.empty()) << written;
      const FieldSpot first = field_at(format, r.example, 0);
      const FieldSpot last = field_at(format, r.example, r.example.size() - 1);
      EXPECT_EQ(first.kind, SpotKind::keyword) << r.example;
      EXPECT_EQ(first.record, &r) << r.example;
      EXPECT_EQ(last.kind, SpotKind::value) << r.example;
      EXPECT_EQ(last.field, keywords[k].value_fields) << r.example;
      const std::string snippet = record_snippet(r);
      EXPECT_NE(snippet.find("${" + std::to_string(r.fields.size()) + ":" +
                             std::string(r.fields.back().name) + "}"),
                std::string::npos)
          << snippet;
    }
  };
  check(Format::line, kLineGeneralRecords, line_general_info());
  check(Format::line, kLineBodyRecords, line_body_info());
  check(Format::train, kTrainRecords, train_info());
  const auto headers = [](const auto& names, std::span<const HeaderInfo> info) {
    ASSERT_EQ(info.size(), names.size());
    for (size_t k = 0; k < names.size(); ++k) EXPECT_EQ(info[k].header, names[k]);
  };
  headers(kLineSectionHeaders, header_info(Format::line));
  headers(kTrainSectionHeaders, header_info(Format::train));
}

TEST(RecordFields, ColumnToFieldFollowsTheFieldReader) {
  struct Case {
    Format format;
    std::string_view line;
    std::string_view at;  // the column is that of the first character of `at` in the line
    SpotKind kind;
    std::string_view record;  // written keyword, or empty
    int field;
  };
  const Case cases[] = {
      {Format::train, "-- segnali di linea", "segnali", SpotKind::comment, "", 0},
      {Format::line, "[Curve]", "Curve", SpotKind::header, "", 0},
      {Format::line, "", "", SpotKind::none, "", 0},
      {Format::train, "segnal,  100", "segnal", SpotKind::other, "", 0},
      // A field past the record's last is read as a keyword field that matches nothing.
      {Format::train, "numero vetture,    3,  7", "7", SpotKind::extra, "numero vetture", 0},
      {Format::line, "cartello_indicatore,  1200,   (A, B)", "B)", SpotKind::extra, "cartello_indicatore", 0},
      // A keyword with extra words; 300 does not fit the 8-bit kind but is read all the same.
      {Format::train, "STAZIONE di testa,  300, 300,  400", "400", SpotKind::value, "stazione", 3},
      {Format::train, "orologio,    18              20            30 ", "20", SpotKind::value, "orologio", 2},
      {Format::train, "velocita aderenza, 0, 100, 0, 80", "80", SpotKind::value, "aderenza", 2},
      {Format::train, "-- a, segnale, 100", "100", SpotKind::value, "segnale", 1},
      {Format::train, "-a, -b, -c segnale, 100", "100", SpotKind::value, "segnale", 1},
      {Format::line, "ripetizione segnali 9 codici, 0, 0", "ripetizione", SpotKind::keyword,
       "ripetizione segnali 9 codici", 0},
      {Format::line, "curvaS3, 100, 50", "50", SpotKind::value, "curvas", 2},
      {Format::line, "curvad3, 100, 50", "curvad3", SpotKind::keyword, "curvad", 0},
      {Format::line, "lunghezza percorso,    20000", ",", SpotKind::keyword, "lunghezza percorso", 0},
      // A comma that ends the line: the field that comes next.
      {Format::train, "segnale,    100,", "", SpotKind::value, "segnale", 2},
  };
  for (const Case& c : cases) {
    const size_t column = c.at.empty() ? c.line.size() : c.line.find(c.at);
    const FieldSpot spot = field_at(c.format, c.line, column);
    EXPECT_EQ(spot.kind, c.kind) << c.line << " at " << column;
    EXPECT_EQ(spot.record ? spot.record->keyword->written : "", c.record) << c.line;
    EXPECT_EQ(spot.field, c.field) << c.line;
    if (c.kind == SpotKind::value || c.kind == SpotKind::extra) {
      EXPECT_EQ(spot.begin, column) << c.line;
    }
  }
}

TEST(RecordFields, SnippetAndHoverComeFromTheTable) {
  EXPECT_EQ(
      record_snippet(*find_record_info(Format::train, "segnale")),
      "segnale,    ${1:posizione},   ${2:sx}, ${3:s1}, ${4:s2},  ${5:s3}, ${6:rapp},    ${7:dx},  ${8:d1},"
      "${9:d2},${10:d3}, ${11:tempo}");
  const std::string_view signal = "segnale,    2500,   1, 5, 6,  0, 0,    2,  0,0,0, 0";
  EXPECT_EQ(hover_text(field_at(Format::train, signal, signal.find("2,")), Language::en),
            "segnale, field 7 of 11: dx\n32-bit signed · 0 to 2\n"
            "kind of the signal on the right (dx) side; 0 when there is none\n"
            "not checked: packed beside the other side's kind as rapp × 10 + sx × 3 + dx\n");
  const std::string_view speed = "velocita,     800,   100";
  EXPECT_EQ(
      hover_text(field_at(Format::train, speed, speed.size()), Language::it),
      "velocita, campo 2 di 2: speed\nintero a 32 bit con segno · multiplo di 5, da 0 a 1275 · km/h\n"
      "velocità massima ammessa per il treno da quel punto fino al record velocita successivo\n"
      "memorizzata a passi di 5 km/h, arrotondata al passo più vicino; sotto -2 o sopra 1277: errore 25\n");
  const std::string_view board = "pendenza,  1500,   5";
  EXPECT_EQ(hover_text(field_at(Format::line, board, 0), Language::en),
            "pendenza: a record of 2 value fields\nposition, gradient\n"
            "the gradient from a position on, until the next gradient record\n");
  EXPECT_EQ(allowed_text(line_body_info()[0].fields[0], Language::en),
            "a multiple of 50, 0 to the line's length + 6900");
  EXPECT_EQ(hover_text(field_at(Format::line, "[pendenze]", 0), Language::it),
            "[pendenze]: intestazione di sezione\npendenze\n");
}

}  // namespace
}  // namespace compactor
