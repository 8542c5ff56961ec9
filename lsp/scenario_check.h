#pragma once
// Which scenario an open description belongs to, and its check, as the server publishes it.
// A description is checked with its partner:
// - in a pack (scenario.json beside line.txt and train.txt), as the pack: its names, its
//   encoding and its accepted_warnings, every file of it;
// - otherwise under the program's own names, <line>_linea.txt with <line>_<train>-.txt in
//   the same folder;
// - otherwise alone: a line description with no train, a train description on the longest
//   line there can be, and only its own diagnostics shown.
// An open document wins over its file on disk, the partner's as well. The check's
// diagnostics come back in the protocol's terms, by URI, with the code actions of their
// fixes and the compiled scenario for the hovers.

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "compiler/track_model.h"
#include "lsp/documents.h"
#include "lsp/text.h"
#include "sources/messages.h"
#include "sources/record_fields.h"

namespace compactor::lsp {

// The language ids of the editors' extension: a line description, a train description, and
// a description told from its first line ("[generale]"), whose format its records tell.
inline constexpr std::string_view kLineLanguage = "scenario-line";
inline constexpr std::string_view kTrainLanguage = "scenario-train";
inline constexpr std::string_view kDescriptionLanguage = "scenario-description";

// The format of a document: by its language id, else by its name (line.txt, <line>_linea.txt;
// train.txt, <line>_<train>-.txt), else, for the language of a description, by its records.
// nullopt for any other document (scenario.json, a driver's document).
std::optional<Format> format_of(const Document& document);

enum class UnitKind { pack, pair, alone };

// The files checked together.
struct Unit {
  UnitKind kind = UnitKind::alone;
  std::string key;                      // the same for every document of the unit
  std::filesystem::path folder;         // pack and pair
  std::filesystem::path line, train;    // pair
  std::string line_name, train_number;  // pair and alone: the identity compiled with
  std::string uri;                      // alone: the document
  Format format = Format::line;         // alone
  // Whether the unit reads this document (or its file).
  bool reads(const Document& document) const;
};

// The unit of a document, decided again at every change (a partner may come or go).
Unit unit_of(const Document& document, const DocumentStore& store);

// A code action of a fix, kept with the range of its diagnostic.
struct StoredAction {
  Range range;
  nlohmann::json action;
};

struct UnitCheck {
  std::map<std::string, nlohmann::json, std::less<>> diagnostics;  // by URI: arrays of Diagnostic
  std::map<std::string, std::vector<StoredAction>, std::less<>> actions;
  std::optional<TrackModel> model;  // when the descriptions made a section array
  double acceleration = 0;
};

UnitCheck check_unit(const Unit& unit, const DocumentStore& store, Language language);

}  // namespace compactor::lsp
