// The author documentation against the code: every record keyword and section header of
// the two formats, and every fault and conflict number with its meaning, stands in docs/,
// and the docs name no fault the code does not know.
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <span>
#include <sstream>
#include <string>
#include <vector>

#include "compiler/faults.h"
#include "compiler/warnings.h"
#include "sources/diagnostic.h"
#include "sources/messages.h"
#include "sources/pack_payload.h"
#include "sources/record_fields.h"
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

// The value fields each record's docs name: from "### `keyword, name, name`" headings and
// "| `keyword, name` | ..." rows, and from the rows "| 7, 8, 9 | `group1` | ..." of a field table
// under a heading. "uno|due|tre" stands for three keywords; "<class>" is left out.
std::map<std::string, std::map<int, std::string>> documented_fields(const std::string& text) {
  std::map<std::string, std::map<int, std::string>> out;
  std::vector<std::string> keys;  // the keywords of the last heading
  const std::regex item("`([^`]+)`");
  const std::regex field_row(R"(^\| ([0-9, ]+) \| `([^`]+)` \|)");
  std::istringstream lines(text);
  for (std::string line; std::getline(lines, line);) {
    const bool heading = line.starts_with("#");
    std::smatch m;
    if (!heading && std::regex_search(line, m, field_row)) {
      std::istringstream numbers(m[1].str());
      for (std::string n; std::getline(numbers, n, ',');)
        for (const std::string& k : keys) out[k][std::stoi(n)] = m[2].str();
      continue;
    }
    if (heading) keys.clear();
    if (!heading && !line.starts_with("| `")) continue;
    for (auto it = std::sregex_iterator(line.begin(), line.end(), item); it != std::sregex_iterator(); ++it) {
      std::vector<std::string> parts;
      std::istringstream s(std::regex_replace((*it)[1].str(), std::regex("<[^>]*>"), ""));
      for (std::string p; std::getline(s, p, ',');) parts.push_back(p.substr(p.find_first_not_of(' ')));
      std::vector<std::string> expanded{""};
      std::istringstream words(parts[0]);
      for (std::string w; words >> w;) {
        std::vector<std::string> next;
        std::istringstream alternatives(w);
        for (std::string a; std::getline(alternatives, a, '|');)
          for (const std::string& e : expanded) next.push_back(e.empty() ? a : e + " " + a);
        expanded = next;
      }
      for (const std::string& k : expanded) {
        if (heading) keys.push_back(k);
        for (size_t n = 1; n < parts.size(); ++n) out[k][static_cast<int>(n)] = parts[n];
      }
      if (!heading) break;  // a row's first cell only
    }
  }
  return out;
}

void expect_field_names(const std::string& doc_name, std::span<const RecordInfo> records) {
  const auto documented = documented_fields(doc(doc_name));
  for (const RecordInfo& r : records) {
    const std::string written(r.keyword->written);
    const auto it = documented.find(written);
    ASSERT_NE(it, documented.end()) << doc_name << " names no field of " << written;
    std::map<int, std::string> expected;
    for (size_t n = 0; n < r.fields.size(); ++n) expected[static_cast<int>(n + 1)] = std::string(r.fields[n].name);
    EXPECT_EQ(it->second, expected) << doc_name << " and the field table differ on " << written;
  }
}

TEST(AuthorDocs, FieldNamesAreTheFieldTablesNames) {
  expect_field_names("line-description.md", line_general_info());
  expect_field_names("line-description.md", line_body_info());
  expect_field_names("train-description.md", train_info());
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
    const std::string heading =
        "\n### -W" + std::string(w.name) + ": " + std::string(message_text(w.meaning, Language::en)) + "\n";
    EXPECT_NE(text.find(heading), std::string::npos) << "faults.md lacks the heading" << heading;
  }
}

// The Italian page of the messages: every code a tool reports has an entry, and the message
// each entry quotes is the catalogue's Italian text, word for word.
TEST(AuthorDocs, ItalianMessagesPageHoldsEveryCodeWithTheCataloguesText) {
  const std::string text = doc("messaggi.md");
  std::map<std::string, MessageId> by_name;
  for (size_t i = 0; i < message_count(); ++i)
    by_name.emplace(message_name(static_cast<MessageId>(i)), static_cast<MessageId>(i));
  std::map<std::string, std::string> quoted;  // code -> the message name its entry quotes
  const std::regex entry(
      "\n### `([^`]+)`\n\n- Messaggio `(\\w+)`: «([^\n]*)»\n- Significato: [^\n]+\n- Cosa fare: ");
  for (auto it = std::sregex_iterator(text.begin(), text.end(), entry); it != std::sregex_iterator(); ++it) {
    const std::string code = (*it)[1].str(), name = (*it)[2].str();
    EXPECT_TRUE(quoted.emplace(code, name).second) << code << " twice";
    ASSERT_EQ(by_name.count(name), 1u) << code << " quotes " << name;
    std::string italian(message_text(by_name[name], Language::it));
    std::replace(italian.begin(), italian.end(), '\n', ' ');
    EXPECT_EQ((*it)[3].str(), italian) << code;
  }
  std::vector<std::string> codes = {"errore-1250",     "errore-1251",      "warnings-dropped",
                                    "no-sections",     "input-encoding",   "pack-manifest",
                                    "pack-names",      "pack-file",        "pack-encoding",
                                    "pack-line-table", "unknown-warning",  "unaccepted-warning",
                                    "input-bounds",    "problems-dropped", "file-read",
                                    "file-write",      "recovery",         "usage",
                                    "failure"};
  for (int32_t n = 1; n < 1000; ++n) {
    if (fault_message_id(n) == MessageId::fault_unknown) continue;
    const bool conflict = n == kConflictBoard || n == kConflictWindow || n == kConflictRepeat;
    codes.push_back(conflict ? conflict_code_name(n) : fault_code_name(n));
  }
  for (const WarningKind& w : all_warnings()) codes.emplace_back(w.name);
  for (const std::string& code : codes) EXPECT_EQ(quoted.count(code), 1u) << "messaggi.md lacks " << code;
  EXPECT_EQ(quoted.size(), codes.size());
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
