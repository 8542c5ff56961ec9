#pragma once
// What the server answers about one description, as pure functions of its text (and of the
// scenario compiled last, for what only the compile knows): the hover of a field, the
// completion at a place, the outline, and the formatting as edits. Texts are UTF-8 as the
// editor holds them; positions are the protocol's (UTF-16 units).

#include <nlohmann/json.hpp>
#include <optional>
#include <string_view>
#include <vector>

#include "compiler/track_model.h"
#include "lsp/text.h"
#include "sources/messages.h"
#include "sources/record_fields.h"

namespace compactor::lsp {

// What the compile adds to a hover: the scenario as compiled from these texts.
struct CompiledScenario {
  const TrackModel* model = nullptr;
  double acceleration = 0;  // the realistic run's planning acceleration
};

// The hover of the field at the position, the field's text as its range: its record's or
// field's name, width, allowed values and meaning (sources/record_fields.h); on a position,
// its chainage; on a station's time, the fastest run from the timed station before it and
// the margin. nullopt where the position is on no field.
std::optional<nlohmann::json> hover(std::string_view text, Format format, Position at,
                                    const CompiledScenario& compiled, Language language);

// The completion items at the position: in the first field of a line, the keywords of the
// section it stands in (its own records first, as snippets of their fields when the client
// takes snippets, else as their example line) and the section headers; after "[" the
// headers alone, completing what is typed. Elsewhere none.
nlohmann::json completion(std::string_view text, Format format, Position at, bool snippets,
                          Language language);

// The outline: each section from its header to the next; in it the stations by name, and
// the signals, slow-downs and boards by position. As DocumentSymbol objects when the
// client takes a hierarchy, else as SymbolInformation with the uri.
nlohmann::json document_symbols(std::string_view text, Format format, bool hierarchical,
                                const std::string& uri, Language language);

// The edits that format the text (lsp/formatting.h), one a changed line; nullopt when the
// text holds a character that Windows-1252 has not, and so cannot be a description.
std::optional<nlohmann::json> formatting_edits(std::string_view text, Format format);

// The records that belong to a section header of the format, written as record_tables.h
// writes them: what completion offers first under it.
std::vector<std::string_view> section_keywords(Format format, std::string_view header);

}  // namespace compactor::lsp
