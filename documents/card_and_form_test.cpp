#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <ostream>

#include "documents/slowdown_form.h"
#include "documents/train_card.h"
#include "sources/memory_sink.h"
#include "sources/text_writer.h"
#include "sources/written_lines.h"

namespace compactor {
namespace {

using Writer = std::function<void(FileSink&, const std::string&, const std::string&)>;

struct BoxedDocument {
  const char* label;
  Writer write;
  std::string file_name;
  size_t bytes;
  size_t lines;
  std::vector<size_t> empty_lines;            // 1-based
  std::map<size_t, std::string> exact_lines;  // 1-based, trailing spaces included
  size_t first_row, last_row, row_width;      // the drawn table: rows of equal width
};

const BoxedDocument kDocuments[] = {
    {"card",
     [](FileSink& sink, const std::string& line, const std::string& train) {
       dati_scheda(sink, line, train);
     },
     "Rovella_Tirsa_7162_scheda_treno.txt",
     2711,
     36,
     {1, 2, 12},
     {{5, " |   TRENO n.7162    |                   da: ROVELLA               |    VS140 C   |"},
      {7, "                                                                   |______________|"},
      {9, " |  CLASSIFICAZIONE  |              |  MASSA BLOCCATA   |       "},
      {13, "  ________________________________________________________________________________"},
      {25, " |     |     |  62.482  |     | CASTRELA                   | 18.28    18.29 | 1.0 |"},
      {29, " |     | 110 |  72.418  |     | Bivio Sant'Elia di Lago    |      18.41     |     |"},
      {33, " |     |     |  75.680  |     | TIRSA                      | 18.45          | 2.0 |"}},
     14,
     36,
     83},
    {"form",
     [](FileSink& sink, const std::string& line, const std::string& train) {
       dati_rallentamenti(sink, line, train);
     },
     "Rovella_Tirsa_7162_rallentamenti.txt",
     1698,
     32,
     {1, 6, 8, 22, 24, 26, 28, 30},
     {{2, "                               Modulo M. 3"},
      {7, "  Si ordina al macchinista del treno 7162  di effettuare i seguenti rallentamenti"},
      {16, " |                            NESSUNA      PRESCRIZIONE                          |"},
      {29, " D - Rallentamneto N. ... e N. ...  sono contigui"},
      {32, "     i giorni esclusi i seguenti:........."}},
     10,
     21,
     82},
};

void PrintTo(const BoxedDocument& doc, std::ostream* os) { *os << doc.label; }

class BoxedDocumentTest : public testing::TestWithParam<BoxedDocument> {
 protected:
  std::string written() {
    MemorySink sink;
    GetParam().write(sink, "Rovella_Tirsa", "7162");
    EXPECT_EQ(sink.order, std::vector<std::string>{GetParam().file_name});
    return sink.files[GetParam().file_name];
  }
};

TEST_P(BoxedDocumentTest, HasItsSizeLinesAndPlainAsciiBytes) {
  const auto& doc = GetParam();
  const std::string bytes = written();
  EXPECT_EQ(bytes.size(), doc.bytes);
  ASSERT_TRUE(bytes.ends_with("\r\n"));
  const auto lines = written_lines(bytes);
  ASSERT_EQ(lines.size(), doc.lines);
  for (const auto& line : lines) EXPECT_EQ(line.find_first_of("\r\n"), std::string::npos) << line;
  EXPECT_TRUE(
      std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; }));
  EXPECT_EQ(bytes.find(kEndOfText), std::string::npos);
}

TEST_P(BoxedDocumentTest, KeepsEmptyLinesAndExactTextsWithTheirSpaces) {
  const auto& doc = GetParam();
  const auto lines = written_lines(written());
  ASSERT_EQ(lines.size(), doc.lines);
  for (size_t n = 1; n <= lines.size(); ++n) {
    const bool empty = std::find(doc.empty_lines.begin(), doc.empty_lines.end(), n) != doc.empty_lines.end();
    EXPECT_EQ(lines[n - 1].empty(), empty) << "line " << n;
  }
  for (const auto& [n, text] : doc.exact_lines) EXPECT_EQ(lines[n - 1], text) << "line " << n;
}

TEST_P(BoxedDocumentTest, TableRowsCloseInTheSameColumns) {
  const auto& doc = GetParam();
  const auto lines = written_lines(written());
  ASSERT_EQ(lines.size(), doc.lines);
  for (size_t n = doc.first_row; n <= doc.last_row; ++n) {
    const auto& row = lines[n - 1];
    ASSERT_EQ(row.size(), doc.row_width) << "line " << n;
    EXPECT_EQ(row.substr(0, 2), " |") << "line " << n;
    EXPECT_EQ(row.back(), '|') << "line " << n;
  }
  // The rule over the table stops one column short of the rows' closing bar.
  EXPECT_EQ(lines[doc.first_row - 2].size(), doc.row_width - 1);
}

INSTANTIATE_TEST_SUITE_P(Documents, BoxedDocumentTest, testing::ValuesIn(kDocuments),
                         [](const auto& info) { return std::string(info.param.label); });

TEST(TrainCard, ColumnBarsOfTheTimetableLineUp) {
  MemorySink sink;
  dati_scheda(sink, "Rovella_Tirsa", "7162");
  const auto lines = written_lines(sink.files.begin()->second);
  ASSERT_EQ(lines.size(), 36u);
  const std::vector<size_t> bars = {1, 7, 13, 24, 30, 59, 76, 82};
  for (size_t n = 14; n <= 36; ++n) {
    for (size_t column : bars) EXPECT_EQ(lines[n - 1][column], '|') << "line " << n << " column " << column;
    EXPECT_EQ(std::count(lines[n - 1].begin(), lines[n - 1].end(), '|'), 8) << "line " << n;
  }
}

TEST(SlowdownForm, ExplainsTheCodesInTheOrderABDC) {
  const auto lines = form_lines();
  ASSERT_EQ(lines.size(), 32u);
  EXPECT_TRUE(lines[24].starts_with(" A - "));
  EXPECT_TRUE(lines[26].starts_with(" B - "));
  EXPECT_TRUE(lines[28].starts_with(" D - "));
  EXPECT_TRUE(lines[30].starts_with(" C - "));
}

}  // namespace
}  // namespace compactor
