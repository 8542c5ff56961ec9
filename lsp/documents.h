#pragma once
// The documents an editor holds open, as it hands them over: UTF-8 text, by URI, with their
// language and version. Changes come whole or as ranges (positions in UTF-16 units); a
// document larger than any description can be is refused, and only its size is kept, until
// a change gives it a text of a size that can be.

#include <cstddef>
#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>

#include "sources/text_bounds.h"

namespace compactor::lsp {

// A description of the largest size a pair may have, each character taking three bytes in UTF-8.
inline constexpr size_t kMostDocumentBytes = 3 * kMostPairDescriptionBytes;

struct Document {
  std::string uri;
  std::optional<std::filesystem::path> path;  // for a file URI
  std::string language;                       // the editor's language id
  int version = 0;
  std::string text;          // UTF-8, as the editor holds it
  size_t refused_bytes = 0;  // the size of a text refused as too large (its text is then empty)
  bool refused() const { return refused_bytes > 0; }
};

class DocumentStore {
 public:
  Document& open(const std::string& uri, std::string language, int version, std::string text);
  // Applies the changes of one didChange in order: {"text"} replaces the whole text,
  // {"range", "text"} a range of it. Throws nlohmann::json::exception for changes that are
  // not well formed (the document is then left as the changes before it made it).
  void change(Document& document, const nlohmann::json& changes, int version);
  // False when the document was not open.
  bool close(const std::string& uri);

  Document* find(std::string_view uri);
  const Document* find(std::string_view uri) const;
  // The open document of a file, by its path.
  const Document* find_path(const std::filesystem::path& path) const;
  const std::map<std::string, Document, std::less<>>& all() const { return documents_; }

 private:
  static void set_text(Document& document, std::string text);
  std::map<std::string, Document, std::less<>> documents_;
};

}  // namespace compactor::lsp
