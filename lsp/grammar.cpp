#include "lsp/grammar.h"

#include <set>
#include <vector>

namespace compactor::lsp {
namespace {

using nlohmann::json;

// Up to a comma or the line's end: one field.
constexpr std::string_view kFieldChars = "[^,\\r\\n]*";

std::string any_case(std::string_view word) {
  std::string out;
  for (const char c : word) {
    const char lower = (c >= 'A' && c <= 'Z') ? static_cast<char>(c + 32) : c;
    const char upper = (c >= 'a' && c <= 'z') ? static_cast<char>(c - 32) : c;
    if (lower != upper) {
      out += '[';
      out += upper;
      out += lower;
      out += ']';
    } else if (std::string_view("\\^$.|?*+()[]{}").find(c) != std::string_view::npos) {
      out += '\\';
      out += c;
    } else {
      out += c;
    }
  }
  return out;
}

std::string_view scope_suffix(std::optional<Format> format) {
  return !format ? "scenario-description" : *format == Format::line ? "scenario-line" : "scenario-train";
}

}  // namespace

std::string keyword_pattern(const RecordKeyword& record) {
  std::string out = "^ *";
  for (const std::string_view word : record.words) {
    if (word.empty()) continue;
    out += "(?=" + std::string(kFieldChars) +
           (record.letter_case == KeywordCase::any ? any_case(word) : std::string(word)) + ")";
  }
  // The cab-signalling record tells its number of codes by a digit in its keyword.
  if (record.written.starts_with("ripetizione segnali")) out += "(?=" + std::string(kFieldChars) + "[49])";
  // A field with "-" is a comment, never a keyword.
  return out + "[^,\\r\\n-]*(?=,|$)";
}

json textmate_grammar(std::optional<Format> format) {
  const std::string suffix(scope_suffix(format));
  std::vector<std::string> patterns;
  std::set<std::string> seen;
  auto add = [&](const auto& records) {
    for (const RecordKeyword& r : records)
      if (seen.insert(keyword_pattern(r)).second) patterns.push_back(keyword_pattern(r));
  };
  if (!format || *format == Format::line) {
    add(kLineGeneralRecords);
    add(kLineBodyRecords);
  }
  if (!format || *format == Format::train) add(kTrainRecords);
  json keywords = json::array();
  for (const std::string& p : patterns)
    keywords.push_back({{"match", p}, {"name", "keyword.other.record." + suffix}});
  return {{"name", !format                   ? "Scenario description"
                   : *format == Format::line ? "Scenario line description"
                                             : "Scenario train description"},
          {"scopeName", "source." + suffix},
          {"patterns",
           {{{"include", "#comment"}},
            {{"include", "#header"}},
            {{"include", "#keyword"}},
            {{"include", "#number"}}}},
          {"repository",
           {{"comment", {{"match", "^[^,\\r\\n]*-[^,\\r\\n]*"}, {"name", "comment.line." + suffix}}},
            {"header",
             {{"match", "^ *\\[[^\\]\\r\\n,-]*\\][^,\\r\\n-]*(?=,|$)"},
              {"name", "entity.name.section." + suffix}}},
            {"keyword", {{"patterns", keywords}}},
            {"number",
             {{"match", "(?<=^|[, ])[-+]?[0-9]+(?:\\.[0-9]+)?(?= *(?:,|$))"},
              {"name", "constant.numeric." + suffix}}}}}};
}

}  // namespace compactor::lsp
