#include "lsp/documents.h"

#include "lsp/text.h"

namespace compactor::lsp {

void DocumentStore::set_text(Document& document, std::string text) {
  if (text.size() > kMostDocumentBytes) {
    document.refused_bytes = text.size();
    document.text.clear();
    document.text.shrink_to_fit();
  } else {
    document.refused_bytes = 0;
    document.text = std::move(text);
  }
}

Document& DocumentStore::open(const std::string& uri, std::string language, int version, std::string text) {
  Document& d = documents_[uri];
  d.uri = uri;
  d.path = path_of_uri(uri);
  d.language = std::move(language);
  d.version = version;
  set_text(d, std::move(text));
  return d;
}

void DocumentStore::change(Document& document, const nlohmann::json& changes, int version) {
  for (const nlohmann::json& c : changes) {
    const std::string& replacement = c.at("text").get_ref<const std::string&>();
    if (!c.contains("range")) {
      set_text(document, replacement);
      continue;
    }
    const Range range = range_from_json(c.at("range"));
    // A range of a text that was refused: there is nothing to apply it to.
    if (document.refused()) continue;
    const LineIndex lines(document.text);
    size_t from = offset_at(document.text, lines, range.start);
    size_t to = offset_at(document.text, lines, range.end);
    if (to < from) std::swap(from, to);
    if (document.text.size() - (to - from) + replacement.size() > kMostDocumentBytes) {
      document.refused_bytes = document.text.size() - (to - from) + replacement.size();
      document.text.clear();
      continue;
    }
    document.text.replace(from, to - from, replacement);
  }
  document.version = version;
}

bool DocumentStore::close(const std::string& uri) { return documents_.erase(uri) > 0; }

Document* DocumentStore::find(std::string_view uri) {
  const auto it = documents_.find(uri);
  return it == documents_.end() ? nullptr : &it->second;
}

const Document* DocumentStore::find(std::string_view uri) const {
  const auto it = documents_.find(uri);
  return it == documents_.end() ? nullptr : &it->second;
}

const Document* DocumentStore::find_path(const std::filesystem::path& path) const {
  for (const auto& [uri, d] : documents_)
    if (d.path && *d.path == path) return &d;
  return nullptr;
}

}  // namespace compactor::lsp
