#pragma once
// Every file of a build is named from the line name and the train number.

#include <array>
#include <string>
#include <string_view>
#include <vector>

namespace compactor {

inline std::string line_description_name(const std::string& line) { return line + "_linea.txt"; }
inline std::string train_description_name(const std::string& line, const std::string& train) {
  return line + "_" + train + "-.txt";
}
inline std::string notes_name(const std::string& line, const std::string& train) {
  return line + "_" + train + "_note.txt";
}
inline std::string slowdown_form_name(const std::string& line, const std::string& train) {
  return line + "_" + train + "_rallentamenti.txt";
}
inline std::string train_card_name(const std::string& line, const std::string& train) {
  return line + "_" + train + "_scheda_treno.txt";
}
inline std::string route_plot_name(const std::string& line) { return line + "_linea.dat"; }
inline std::string slot_table_name(const std::string& line, const std::string& train) {
  return line + "_" + train + ".sim";
}
inline std::string section_array_name(const std::string& line, const std::string& train) {
  return line + "_" + train + ".dat";
}

// The eight files of a build, in the order they are written.
inline std::array<std::string, 8> build_file_names(const std::string& line, const std::string& train) {
  return {line_description_name(line),      train_description_name(line, train), notes_name(line, train),
          slowdown_form_name(line, train),  train_card_name(line, train),        route_plot_name(line),
          slot_table_name(line, train),     section_array_name(line, train)};
}

// The three compiled files.
inline std::vector<std::string> compiled_file_names(const std::string& line, const std::string& train) {
  return {route_plot_name(line), slot_table_name(line, train), section_array_name(line, train)};
}

// Whether a name ends as the name of a build's file does ("_linea.dat", ".sim", ...).
inline bool has_build_file_suffix(std::string_view name) {
  for (std::string_view suffix : {"_linea.txt", "-.txt", "_note.txt", "_rallentamenti.txt", "_scheda_treno.txt",
                                  "_linea.dat", ".sim", ".dat"})
    if (name.size() > suffix.size() && name.ends_with(suffix)) return true;
  return false;
}

// The hidden files a write keeps beside a file of name N until the write is done: its
// temporary ".N.compactor-tmp-XXXXXX" and the old file's backup ".N.compactor-old-XXXXXX",
// where XXXXXX are six letters or digits of their own. Nothing else is ever taken for one.
inline constexpr std::string_view kTemporaryInfix = ".compactor-tmp-";
inline constexpr std::string_view kBackupInfix = ".compactor-old-";
inline constexpr size_t kHiddenNameRandomChars = 6;
// The longest name a file system holds, in bytes (UTF-8; a Windows name of as many UTF-16
// units holds at least as much text).
inline constexpr size_t kLongestFileName = 255;

// The size of the longest hidden name of a file whose name takes name_bytes.
inline constexpr size_t hidden_name_bytes(size_t name_bytes) {
  return 1 + name_bytes + kTemporaryInfix.size() + kHiddenNameRandomChars;
}
static_assert(kTemporaryInfix.size() == kBackupInfix.size());

}  // namespace compactor
