#pragma once
// The one model of everything a front reports: a compiler fault, a warning, a conflict of
// the abbattimento pass, a reserved place taken (errore 1250 / 1251), a problem of a pack
// (its manifest, the encoding of a text, a line table, a name), a file that cannot be read
// or written, a wrong use of a tool. Each front only renders this list: the terminal printer,
// the JSON of --json, the page and a language server.
//
// A diagnostic carries:
// - its severity, error or warning (a note stands under its entry; a note of its own, such
//   as "a warning scenario.json does not accept", is a top-level entry of severity note);
// - its code, one of the set below, stable between releases: what a front keys on;
// - the warning's name where it is one (-W<name>, accepted_warnings);
// - its message, as an id of the catalogue with arguments (sources/messages.h);
// - its place: the file (a description by the name it was given, any file of a pack, a
//   folder), and a span in it;
// - its notes, each with its own message, place and span;
// - its fixes, each an edit of one span (a replacement, an insertion where the span is empty,
//   a deletion where the replacement is empty) with a title.
//
// Codes:
//   fault-N            a fault of the compilers (N 1 to 25, 101 to 109), as docs/faults.md lists them
//   conflict-N         a conflict of the abbattimento pass (11, 12, 13), a warning named conflict
//   errore-1250, errore-1251   a reserved place is taken: the program stops with that error
//   <warning name>     a warning of the compile: unknown-keyword, rounded-position ...
//   warnings-dropped   a note: more warnings than are shown
//   no-sections        nothing compiled: the line description gave no section array
//   input-encoding     a description read as UTF-8 holds bytes that are not UTF-8, or a
//                      character without a Windows-1252 byte
//   pack-manifest      scenario.json is not sound: not JSON, a key unknown, given twice,
//                      missing or of the wrong type, an unknown encoding
//   pack-names         the line name or the train number cannot name the scenario's files
//   pack-file          a file of the pack is missing
//   pack-encoding      a text of the pack holds a byte that is not of its encoding, a
//                      character without a Windows-1252 byte, or a control character
//   pack-line-table    a text of the pack does not fit the fixed-text writer's line table
//                      (too many lines, or a line that is the writer's end-of-text marker)
//   unknown-warning    accepted_warnings (or -W) names no warning
//   unaccepted-warning a note: a warning of the compile that accepted_warnings does not list
//   input-bounds       a description with more lines, or a longer line, than any can have
//   problems-dropped   a note: more problems in a file of a pack than are shown
//   file-read          a file or folder that cannot be read
//   file-write         a file or folder that cannot be written, or an output that would
//                      replace an input
//   recovery           a note: an interrupted write of the folder was finished or undone
//   usage              a wrong command line
//   failure            anything else the system refused (memory, a path it cannot resolve)

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "sources/messages.h"

namespace compactor {

enum class Severity { error, warning, note };

// "error", "warning", "note": the words of JSON and of the language server.
std::string_view severity_name(Severity severity);

// A place in a file. Lines and columns count from 1, columns in characters of the line
// (Windows-1252 bytes of a description, which are also its UTF-16 units; characters of a
// UTF-8 file). The span runs from line:column to end_line:end_column, the end being the
// column just past its last character (an empty span, end equal to start, is a point).
// Line 0 stands for the file as a whole (no span).
struct Place {
  std::string file;
  int line = 0;
  int column = 0;
  int end_line = 0;
  int end_column = 0;
  bool operator==(const Place&) const = default;
};

// An edit that mends the problem: replace the span with the text.
struct Fix {
  Place place;
  std::string replacement;  // UTF-8
  Message title;            // what the edit does, "use 'stazione'"
  bool operator==(const Fix&) const = default;
};

struct Diagnostic {
  Severity severity = Severity::warning;
  std::string code;
  std::string warning;  // the warning's name, for [-W<name>]; empty where it is none
  Message message;
  std::optional<Place> place;
  std::vector<Diagnostic> notes;  // severity note, no notes or fixes of their own
  std::vector<Fix> fixes;
  // A warning that the pack's accepted_warnings lists, kept for a front that shows it as a
  // hint (a language server); the terminal and the counts pass over it.
  bool accepted = false;
  bool operator==(const Diagnostic&) const = default;
};

// A note under an entry: its message, and its place where it has one.
Diagnostic note(Message message, std::optional<Place> place = std::nullopt);
// An error of the code at the place.
Diagnostic error_at(std::string code, std::optional<Place> place, Message message);
// A note of what the recovery of a folder did (code recovery).
Diagnostic recovery_note(Message message, std::optional<Place> place = std::nullopt);

// The code of a fault or a conflict: "fault-22", "conflict-12".
std::string fault_code_name(int code);
std::string conflict_code_name(int code);

}  // namespace compactor
