#pragma once
// The TextMate grammars that editors highlight the descriptions with (the VS Code extension
// carries them in editors/vscode/syntaxes/), made from the record tables: a comment field, a
// section header, the keyword field of every record as record_tables.h recognises it (every
// word of its row, in any order, in the row's case), and numbers. The test of this folder
// holds the extension's files to what is made here.

#include <nlohmann/json.hpp>
#include <optional>
#include <string>

#include "sources/record_fields.h"
#include "sources/record_tables.h"

namespace compactor::lsp {

// The grammar of a format; of both (for a description told by its first line) when nullopt.
nlohmann::json textmate_grammar(std::optional<Format> format);

// The pattern of a record's keyword field at the start of a line: a field (up to a comma or
// the line's end) that holds every word of the row. A word compared in any case is written
// as classes of its two letters ("[Ss][Tt]..."), which every regular-expression dialect
// reads alike.
std::string keyword_pattern(const RecordKeyword& record);

}  // namespace compactor::lsp
