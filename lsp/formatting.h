#pragma once
// Formatting of a description: the fields of records of one kind on consecutive lines are
// aligned in columns, as the examples write them: each record's keyword at the start of its
// line, numbers right-aligned under each other, a text (a station's name, a sign's text)
// starting in one column; a column is at least as wide as in the record's example line,
// and numbers written as a group ("4,1,0") stay a group.
//
// It changes no value, by construction: only the spaces in front of a field change, where
// the field reader skips them (at a line's start, and after a comma that is followed by
// more of its line); every other character, every line end and every comment line stays
// as it is. Lines it does not read as one whole record (a comment, a header, a record that
// runs on to the next line or shares its line with another, a number followed by a space)
// are left as they are, and so are the lines around them. Formatting a formatted text
// changes nothing.

#include <string>
#include <string_view>

#include "sources/record_fields.h"

namespace compactor::lsp {

// The text formatted; the text is Windows-1252 (one byte a character), lines ending at
// CR LF, LF or a lone CR as the field reader reads them.
std::string format_description(std::string_view text, Format format);

}  // namespace compactor::lsp
