// Every row of the record tables against what the compilers do: the keyword as written
// is recognised, it reads exactly its number of value fields, and a keyword compared in
// lower case is not recognised in capitals. Section headers read no value fields.
//
// The record under test is written with its last value field replaced by a sentinel
// keyword, and the sentinel record follows on the next line. Only when the record is
// recognised and reads exactly its value fields is the sentinel record read as written.
#include "sources/record_tables.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <string>

#include "compiler/faults.h"
#include "compiler/track_model.h"
#include "sources/record_fields.h"
#include "testing/compile_texts.h"

namespace compactor {
namespace {

using testing::compile_texts;
using testing::crlf;

// Value fields for a record kind, all valid on a 10000 m line; the last one is replaced.
std::vector<std::string> values_for(std::string_view written) {
  static const std::pair<std::string_view, std::vector<std::string>> kValues[] = {
      {"lunghezza percorso", {"20000"}},
      {"progressiva chilometrica tre", {"0", "12300", "0"}},
      {"progressiva chilometrica due", {"0", "12300", "0"}},
      {"progressiva chilometrica uno", {"0", "12300", "0"}},
      {"sfondo uno", {"1"}},
      {"sfondo due", {"1"}},
      {"sfondo tre", {"1"}},
      {"ripetizione segnali 4 codici", {"1000", "5000"}},
      {"ripetizione segnali 9 codici", {"1000", "5000"}},
      {"pendenza", {"500", "4"}},
      {"curvas", {"100", "200"}},
      {"curvad", {"100", "200"}},
      {"montagna", {"500", "550", "2"}},
      {"indicatori_vmax", {"2000", "100", "100", "100", "0", "0", "0", "0", "0"}},
      {"cartello_indicatore", {"2500", "(TESTO)"}},
      {"percentuale massa frenata", {"120"}},
      {"numero vetture", {"3"}},
      {"velocita", {"0", "100"}},
      {"aderenza", {"0", "100"}},
      {"orologio", {"18", "20", "30"}},
      {"sabbia", {"300"}},
      {"segnale", {"1000", "1", "5", "6", "0", "0", "0", "0", "0", "0", "0"}},
      {"rallentamento", {"5000", "30", "500", "1", "0", "0"}},
      {"abbattimento", {"5000", "7"}},
      {"stazione",
       {"1000", "25", "200", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "0", "NOME"}},
  };
  for (const auto& [w, v] : kValues)
    if (w == written) return v;
  ADD_FAILURE() << "no values for " << written;
  return {};
}

// The keyword as an author writes it: a curve keyword needs its class digit.
std::string keyword_of(const RecordKeyword& r) {
  std::string k(r.written);
  if (k == "curvas" || k == "curvad") k += "2";
  return k;
}

std::string upper(std::string s) {
  std::transform(s.begin(), s.end(), s.begin(), [](unsigned char c) { return std::toupper(c); });
  return s;
}

// "<keyword>, v1, ..., <sentinel keyword>"
std::string record_line(const std::string& keyword, const RecordKeyword& r, std::string_view sentinel) {
  std::vector<std::string> v = values_for(r.written);
  EXPECT_EQ(static_cast<int>(v.size()), r.value_fields) << r.written;
  std::string line = keyword;
  for (size_t k = 0; k + 1 < v.size(); ++k) line += ", " + v[k];
  return line + ", " + std::string(sentinel);
}

// The sentinels: "sfondo_tre, 7" in the general section, "montagna, 1000, 1100, 2" in the
// body, "vetture, 7" in the train description. Their keywords are one word each, since a
// number field ends at a space and would leave the second word to be read as a field.
bool general_sentinel_read(const std::string& line) {
  const auto c = compile_texts(
      crlf({"[generale]", "lunghezza percorso, 10000", line, "sfondo_tre, 7", "[curve]", "[fine]"}),
      testing::train_text({}));
  return c.model.slots[85].value2 == 7;
}

bool body_sentinel_read(const std::string& line) {
  const auto c =
      compile_texts(testing::line_text(10000, {line, "montagna, 1000, 1100, 2"}), testing::train_text({}));
  return c.model.error_code == 0 && c.model.section(20).mountain_type == 2;
}

bool train_sentinel_read(const std::string& line) {
  const auto c = compile_texts(testing::line_text(10000, {}), testing::train_text({line, "vetture, 7"}));
  return c.model.error_code == 0 && c.model.slots[84].value3 == 7;
}

TEST(RecordTables, EveryLineGeneralRecordReadsItsValueFields) {
  for (const RecordKeyword& r : kLineGeneralRecords) {
    EXPECT_TRUE(general_sentinel_read(record_line(keyword_of(r), r, "sfondo_tre"))) << r.written;
    EXPECT_EQ(general_sentinel_read(record_line(upper(keyword_of(r)), r, "sfondo_tre")),
              r.letter_case == KeywordCase::any)
        << r.written << " in capitals";
  }
}

TEST(RecordTables, EveryLineBodyRecordReadsItsValueFields) {
  for (const RecordKeyword& r : kLineBodyRecords) {
    EXPECT_EQ(r.letter_case, KeywordCase::any) << r.written;
    EXPECT_TRUE(body_sentinel_read(record_line(keyword_of(r), r, "montagna"))) << r.written;
    EXPECT_TRUE(body_sentinel_read(record_line(upper(keyword_of(r)), r, "montagna"))) << r.written;
  }
}

TEST(RecordTables, EveryTrainRecordReadsItsValueFields) {
  for (const RecordKeyword& r : kTrainRecords) {
    EXPECT_EQ(r.letter_case, KeywordCase::any) << r.written;
    EXPECT_TRUE(train_sentinel_read(record_line(keyword_of(r), r, "vetture"))) << r.written;
    EXPECT_TRUE(train_sentinel_read(record_line(upper(keyword_of(r)), r, "vetture"))) << r.written;
  }
}

TEST(RecordTables, AMisspeltKeywordIsNotRecognised) {
  // The check above would pass for a table row the compiler did not know; this one shows
  // that the sentinel catches a record that is not read.
  const RecordKeyword& signal = kTrainRecords[6];
  EXPECT_FALSE(train_sentinel_read(record_line("segnal", signal, "vetture")));
  EXPECT_FALSE(body_sentinel_read(record_line("pendenze", kLineBodyRecords[0], "montagna")));
}

TEST(RecordTables, SectionHeadersReadNoValueFields) {
  for (std::string_view h : kTrainSectionHeaders) {
    if (h == "[generale]") continue;
    EXPECT_TRUE(train_sentinel_read(std::string(h))) << h;
  }
  for (std::string_view h : kLineSectionHeaders) {
    if (h == "[generale]") continue;
    EXPECT_TRUE(body_sentinel_read(std::string(h))) << h;
  }
}

// The field table against the compiler: a number one past the top of an 8- or 16-bit field
// of a record's example is a reading failure, the top itself is read; the line description
// reads every number in 32 bits; the bounds are the track model's.
TEST(RecordTables, TheFieldTableGivesTheWidthsAndBoundsTheCompilerHas) {
  for (const RecordInfo& r : train_info()) {
    for (size_t k = 0; k < r.fields.size(); ++k) {
      const FieldWidth width = r.fields[k].width;
      if (width != FieldWidth::u8 && width != FieldWidth::i16) continue;
      const auto fault_with = [&](int value) {
        std::string line;
        size_t at = 0;
        for (size_t n = 0; n <= r.fields.size(); ++n) {
          const size_t comma = r.example.find(',', at);
          const std::string_view part = r.example.substr(at, comma == std::string_view::npos ? comma : comma - at);
          line += (n == 0 ? "" : ",") + (n == k + 1 ? " " + std::to_string(value) : std::string(part));
          at = comma + 1;
        }
        return compile_texts(testing::line_text(10000, {}), testing::train_text({line})).model.error_code;
      };
      const int top = width == FieldWidth::u8 ? 255 : 32767;
      EXPECT_EQ(fault_with(top), 0) << r.keyword->written << " field " << k + 1;
      EXPECT_EQ(fault_with(top + 1), kFaultReading) << r.keyword->written << " field " << k + 1;
    }
  }
  for (std::span<const RecordInfo> records : {line_general_info(), line_body_info()})
    for (const RecordInfo& r : records)
      for (const FieldInfo& f : r.fields)
        EXPECT_TRUE(f.width == FieldWidth::i32 || f.width == FieldWidth::text) << r.keyword->written;
  EXPECT_EQ(find_record_info(Format::line, "lunghezza percorso")->fields[0].allowed.max, kMaxLineLength);
  EXPECT_EQ(find_record_info(Format::line, "pendenza")->fields[0].allowed.past_line_end, kSpareMetres - 100);
  EXPECT_EQ(find_record_info(Format::train, "stazione")->fields[0].allowed.past_line_end, kSpareMetres - 800);
}

}  // namespace
}  // namespace compactor
