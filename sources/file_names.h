#pragma once
// Every file of a build is named from the line name and the train number.

#include <string>

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

}  // namespace compactor
