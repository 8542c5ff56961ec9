#pragma once
// The record kinds and section headers of the two description formats: the keyword as
// the program writes it, the words a keyword field must hold to be read as that record,
// and how many value fields follow. The compilers' tests check every row against what
// the compilers do, and the documentation's test checks that docs/ lists every row.

#include <algorithm>
#include <array>
#include <string_view>

#include "sources/field_reader.h"

namespace compactor {

enum class KeywordCase { any, lower };  // how the words are compared with the field

struct RecordKeyword {
  std::string_view written;               // the keyword as the program writes it
  std::array<std::string_view, 2> words;  // words the field must contain (the second may be empty)
  KeywordCase letter_case;
  int value_fields;
};

// Line description, general section (read up to the first other section header).
inline constexpr std::array<RecordKeyword, 9> kLineGeneralRecords{{
    {"lunghezza percorso", {"lunghezza", "percorso"}, KeywordCase::any, 1},
    {"progressiva chilometrica tre", {"progressiva", "tre"}, KeywordCase::lower, 3},
    {"progressiva chilometrica due", {"progressiva", "due"}, KeywordCase::lower, 3},
    {"progressiva chilometrica uno", {"progressiva", "uno"}, KeywordCase::lower, 3},
    {"sfondo uno", {"sfondo", "uno"}, KeywordCase::lower, 1},
    {"sfondo due", {"sfondo", "due"}, KeywordCase::lower, 1},
    {"sfondo tre", {"sfondo", "tre"}, KeywordCase::lower, 1},
    // The field must also hold "4" or "9", the number of codes.
    {"ripetizione segnali 4 codici", {"ripetizione", "segnali"}, KeywordCase::lower, 2},
    {"ripetizione segnali 9 codici", {"ripetizione", "segnali"}, KeywordCase::lower, 2},
}};

// Line description, body. A curve keyword is "curvas" (left: the field holds an "s") or
// "curvad" (right) followed by a class digit 1 to 6.
inline constexpr std::array<RecordKeyword, 6> kLineBodyRecords{{
    {"pendenza", {"pendenza", ""}, KeywordCase::any, 2},
    {"curvas", {"curva", "s"}, KeywordCase::any, 2},
    {"curvad", {"curva", ""}, KeywordCase::any, 2},
    {"montagna", {"montagna", ""}, KeywordCase::any, 3},
    {"indicatori_vmax", {"indicatori_v", ""}, KeywordCase::any, 9},
    {"cartello_indicatore", {"cartello", "indicat"}, KeywordCase::any, 2},
}};

inline constexpr std::array<std::string_view, 7> kLineSectionHeaders{
    "[generale]", "[curve]", "[pendenze]", "[montagne]", "[cartelli]", "[indicazioni]", "[fine]"};

// Train description, in the order in which every keyword field is tested.
inline constexpr std::array<RecordKeyword, 10> kTrainRecords{{
    {"percentuale massa frenata", {"frenata", "massa"}, KeywordCase::any, 1},
    {"numero vetture", {"vetture", ""}, KeywordCase::any, 1},
    {"velocita", {"velocit", ""}, KeywordCase::any, 2},
    {"aderenza", {"aderenza", ""}, KeywordCase::any, 2},
    {"orologio", {"orologio", ""}, KeywordCase::any, 3},
    {"sabbia", {"sabbia", ""}, KeywordCase::any, 1},
    {"segnale", {"segnale", ""}, KeywordCase::any, 11},
    {"rallentamento", {"rallentamento", ""}, KeywordCase::any, 6},
    {"abbattimento", {"abbattimento", ""}, KeywordCase::any, 2},
    {"stazione", {"stazione", ""}, KeywordCase::any, 17},
}};

// Whether a keyword field is read as the record: it holds every word of the row, compared
// as the row says (the compilers' own test, a substring test, never equality).
inline bool matches(const RecordKeyword& record, std::string_view field) {
  return std::all_of(record.words.begin(), record.words.end(), [&](std::string_view word) {
    return word.empty() ||
           (record.letter_case == KeywordCase::lower ? contains(field, word) : contains_nocase(field, word));
  });
}

// Whether the field is read as one of the records.
template <size_t N>
bool matches_any(const std::array<RecordKeyword, N>& records, std::string_view field) {
  return std::any_of(records.begin(), records.end(),
                     [&](const RecordKeyword& r) { return matches(r, field); });
}

inline constexpr std::array<std::string_view, 8> kTrainSectionHeaders{
    "[generale]",      "[aderenze]", "[vel_limite]", "[stazioni]",
    "[rallentamenti]", "[segnali]",  "[codici]",     "[fine]"};

}  // namespace compactor
