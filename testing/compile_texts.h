#pragma once
// Test helpers: compile description texts held in memory, the way the build does.

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "compiler/description_files.h"
#include "compiler/memorizza_dati.h"
#include "compiler/track_model.h"

namespace compactor::testing {

// Descriptions as texts in memory; records which ones the compiler deleted.
class InMemoryDescriptions : public DescriptionFiles {
 public:
  std::optional<std::string> line;  // nullopt: no such file
  std::optional<std::string> train;
  std::vector<Description> deleted;

  std::optional<std::string> read_description(Description which) override {
    return which == Description::line ? line : train;
  }
  void delete_description(Description which) override {
    deleted.push_back(which);
    (which == Description::line ? line : train).reset();
  }
  std::string description_name(Description which) const override {
    return which == Description::line ? "line.txt" : "train.txt";
  }
  bool was_deleted(Description which) const {
    for (auto d : deleted)
      if (d == which) return true;
    return false;
  }
};

// Joins lines with CR LF after each, as the fixed-text writer does.
inline std::string crlf(std::initializer_list<std::string> lines) {
  std::string out;
  for (const auto& l : lines) out += l + "\r\n";
  return out;
}

// A model compiled from the two texts with the route plot wanted, as the build does
// (slots cleared, error_code 0, memorizza_dati).
struct Compiled {
  TrackModel model;
  InMemoryDescriptions files;
};

inline Compiled compile_texts(std::optional<std::string> line, std::optional<std::string> train,
                              int32_t plot_wanted = 1) {
  Compiled c;
  c.model.line_name = "Linea";
  c.model.train_number = "1";
  c.model.plot_wanted = plot_wanted;
  c.model.error_code = 0;
  c.model.clear_slots();
  c.files.line = std::move(line);
  c.files.train = std::move(train);
  memorizza_dati(c.model, c.files);
  return c;
}

// A small line: the general section with the given length, then the body lines.
inline std::string line_text(int32_t length, std::initializer_list<std::string> body) {
  std::string out = crlf({"[generale]", "lunghezza percorso, " + std::to_string(length), "[curve]"});
  for (const auto& l : body) out += l + "\r\n";
  return out + "[fine]\r\n";
}

// A small train description: "[generale]", the records, "[fine]".
inline std::string train_text(std::initializer_list<std::string> records) {
  std::string out = "[generale]\r\n";
  for (const auto& l : records) out += l + "\r\n";
  return out + "[fine]\r\n";
}

}  // namespace compactor::testing
