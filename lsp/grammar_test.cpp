// The VS Code extension's grammars are the ones the record tables make, and each keyword
// pattern finds its record's keyword as the compilers recognise it, and no comment.
#include "lsp/grammar.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <regex>

namespace compactor::lsp {
namespace {

TEST(Grammar, TheExtensionCarriesTheGrammarsTheRecordTablesMake) {
  const std::filesystem::path folder = std::filesystem::path(VSCODE_DIR) / "syntaxes";
  for (const auto& [file, format] :
       {std::pair{"scenario-line.tmLanguage.json", std::optional(Format::line)},
        std::pair{"scenario-train.tmLanguage.json", std::optional(Format::train)},
        std::pair{"scenario-description.tmLanguage.json", std::optional<Format>()}}) {
    const nlohmann::json made = textmate_grammar(format);
    // LSP_WRITE_GRAMMARS=1 writes them again after a change of the record tables.
    if (std::getenv("LSP_WRITE_GRAMMARS"))
      std::ofstream(folder / file, std::ios::binary) << made.dump(2) << "\n";
    std::ifstream in(folder / file, std::ios::binary);
    ASSERT_TRUE(in) << file;
    EXPECT_EQ(nlohmann::json::parse(in), made)
        << file << " differs from the record tables: run lsp_tests with LSP_WRITE_GRAMMARS=1";
  }
}

TEST(Grammar, AKeywordPatternFindsItsRecordAsTheCompilersDo) {
  struct Case {
    std::string_view line;
    const RecordKeyword& record;
    bool found;
  };
  const Case cases[] = {
      {"stazione,     300, 12", kTrainRecords[9], true},
      {"  STAZIONE, 300", kTrainRecords[9], true},
      {"percentuale massa frenata,    120", kTrainRecords[0], true},
      {"massa percentuale frenata, 1", kTrainRecords[0], true},  // the words in any order
      {"-- stazione, 300", kTrainRecords[9], false},             // a comment
      {"stazioni, 300", kTrainRecords[9], false},
      {"Lunghezza Percorso, 34000", kLineGeneralRecords[0], true},
      {"Progressiva chilometrica uno, 0", kLineGeneralRecords[3], false},  // compared in lower case
      {"ripetizione segnali 9 codici, 0, 0", kLineGeneralRecords[8], true},
      {"ripetizione segnali codici, 0, 0", kLineGeneralRecords[7], false},  // no number of codes
      {"curvaS3, 100, 50", kLineBodyRecords[1], true},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(std::regex_search(std::string(c.line), std::regex(keyword_pattern(c.record))), c.found)
        << c.line;
    // What the pattern finds, the compilers read as the record.
    if (c.found) {
      EXPECT_TRUE(matches(c.record, c.line.substr(0, c.line.find(',')))) << c.line;
    }
  }
}

}  // namespace
}  // namespace compactor::lsp
