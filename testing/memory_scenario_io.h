#pragma once
// Test helpers: the finishing step's outside world held in memory.

#include <string>
#include <vector>

#include "output/memorizza_percorso.h"
#include "sources/memory_sink.h"
#include "testing/compile_texts.h"

namespace compactor::testing {

// Descriptions, written files and errore calls, all in memory.
class MemoryScenarioIo : public ScenarioIo {
 public:
  std::optional<std::string> read_description(Description which) override {
    return descriptions.read_description(which);
  }
  void delete_description(Description which) override { descriptions.delete_description(which); }
  std::string description_name(Description which) const override {
    return descriptions.description_name(which);
  }
  void replace_file(const std::string& name, std::string_view bytes) override {
    sink.replace_file(name, bytes);
  }
  void replace_file_from(const std::string& name, ByteSource& source) override {
    sink.replace_file_from(name, source);
  }
  void errore(const std::string& a) override { errors.push_back(a); }

  InMemoryDescriptions descriptions;
  MemorySink sink;
  std::vector<std::string> errors;
};

}  // namespace compactor::testing
