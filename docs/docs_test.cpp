// The author documentation against the code: every record keyword and section header of
// the two formats, and every fault and conflict number with its meaning, stands in docs/,
// and the docs name no fault the code does not know.
#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <set>
#include <sstream>
#include <string>

#include "compiler/faults.h"
#include "compiler/warnings.h"
#include "sources/pack_payload.h"
#include "sources/record_tables.h"
#include "sources/text_bounds.h"

namespace compactor {
namespace {

std::string doc(const std::string& name) {
  std::ifstream in(std::string(DOCS_DIR) + "/" + name, std::ios::binary);
  EXPECT_TRUE(in) << name;
  std::ostringstream s;
  s << in.rdbuf();
  return s.str();
}

// A keyword is listed when it stands in backticks; "`curvas" also covers "`curvas1`".
bool lists(const std::string& text, std::string_view keyword) {
  return text.find("`" + std::string(keyword)) != std::string::npos;
}

template <typename Records>
void expect_records_listed(const std::string& text, const Records& records, const char* name) {
  for (const RecordKeyword& r : records) {
    EXPECT_TRUE(lists(text, r.written)) << name << " does not list " << r.written;
    for (std::string_view w : r.words) {
      if (w.empty()) continue;
      EXPECT_TRUE(lists(text, w)) << name << " does not give the word " << w;
    }
  }
}

TEST(AuthorDocs, LineDescriptionListsEveryKeywordAndHeader) {
  const std::string text = doc("line-description.md");
  expect_records_listed(text, kLineGeneralRecords, "line-description.md");
  expect_records_listed(text, kLineBodyRecords, "line-description.md");
  for (std::string_view h : kLineSectionHeaders) EXPECT_TRUE(lists(text, h)) << h;
}

TEST(AuthorDocs, TrainDescriptionListsEveryKeywordAndHeader) {
  const std::string text = doc("train-description.md");
  expect_records_listed(text, kTrainRecords, "train-description.md");
  for (std::string_view h : kTrainSectionHeaders) EXPECT_TRUE(lists(text, h)) << h;
}

// The numbers the code gives a meaning to.
std::set<int> known_faults() {
  std::set<int> out;
  for (int code = 0; code <= 2000; ++code)
    if (fault_meaning(code) != "unknown fault") out.insert(code);
  return out;
}

bool is_conflict(int code) {
  return code == kConflictBoard || code == kConflictWindow || code == kConflictRepeat;
}

TEST(AuthorDocs, FaultsPageHasAHeadingForEveryFaultInTheCodesWords) {
  const std::string text = doc("faults.md");
  const std::set<int> known = known_faults();
  ASSERT_GT(known.size(), 30u);
  for (int code : known) {
    const std::string heading = std::string("\n### ") + (is_conflict(code) ? "conflict " : "fault ") +
                                std::to_string(code) + ": " + std::string(fault_meaning(code)) + "\n";
    EXPECT_NE(text.find(heading), std::string::npos) << "faults.md lacks the heading" << heading;
  }
  const std::regex listed("\n### (fault|conflict) ([0-9]+):");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), listed); it != std::sregex_iterator(); ++it)
    EXPECT_EQ(known.count(std::stoi((*it)[2].str())), 1u) << "faults.md lists " << (*it)[0].str();
  for (const char* error : {"1250", "1251"}) EXPECT_NE(text.find(error), std::string::npos) << error;
}

TEST(AuthorDocs, EveryFaultHasAnExampleOrAnExplanation) {
  // Each heading is followed by some text before the next heading.
  const std::string text = doc("faults.md");
  const std::regex empty_section("\n### [^\n]*\n\n### ");
  EXPECT_FALSE(std::regex_search(text, empty_section));
}

TEST(AuthorDocs, FaultsPageHasAHeadingForEveryWarningInTheCodesWords) {
  const std::string text = doc("faults.md");
  for (const WarningKind& w : all_warnings()) {
    const std::string heading = "\n### -W" + std::string(w.name) + ": " + std::string(w.meaning) + "\n";
    EXPECT_NE(text.find(heading), std::string::npos) << "faults.md lacks the heading" << heading;
  }
}

// The bounds docs/limits.md gives authors are the code's (numbers of five digits or more in
// groups of three).
TEST(Docs, LimitsAreTheCodesOwn) {
  auto spaced = [](uint64_t n) {
    std::string digits = std::to_string(n), out;
    if (n < 10000) return digits;
    for (size_t i = 0; i < digits.size(); ++i)
      out += (i > 0 && (digits.size() - i) % 3 == 0 ? " " : "") + digits.substr(i, 1);
    return out;
  };
  const std::string text = doc("limits.md");
  for (const uint64_t n : {uint64_t{kLongestTextLine}, uint64_t{kMostPackTextLines}, uint64_t{kMostPairLines},
                           kMostPackTextBytes, kMostPairDescriptionBytes, kMostManifestBytes,
                           uint64_t{kMostProblems}, kPayloadWindow})
    EXPECT_NE(text.find(spaced(n)), std::string::npos) << "limits.md does not give " << spaced(n);
}

}  // namespace
}  // namespace compactor
