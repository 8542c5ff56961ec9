#pragma once
// Diagnostics of a compile: the faults, warnings and notes the compilers find, built as
// entries of the one model (sources/diagnostic.h) at the record they blame, and their text
// for a terminal:
//
//   line.txt:81:1: warning: position 455 m is not a multiple of 50: rounded to 450 m [-Wrounded-position]
//   cartello_indicatore,  455,   (DOPPIO)
//                         ^~~
//
// The source line is shown as it reads in Windows-1252, converted to UTF-8; every byte
// that is not printable is shown escaped (\x1b), and a long line is cut to a window of
// about 120 columns around the caret, with … at the cut ends.

#include <cstddef>
#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "compiler/track_model.h"
#include "sources/diagnostic.h"
#include "sources/text_position.h"

namespace compactor {

// A place in a description as the compiler records it: the field at line:column (1-based,
// the column in characters), and how many fields from it the span runs over. Line 0 stands
// for the file as a whole.
struct SourcePlace {
  Description description = Description::line;
  int line = 0;
  int column = 0;
  int fields = 1;
  bool operator==(const SourcePlace&) const = default;
};

// The two descriptions as a front gave them: the names diagnostics give them, and their
// texts in Windows-1252 where they are at hand. A place in one of them becomes a Place of
// the model: its file's name and the span of its fields.
class DescriptionSources {
 public:
  DescriptionSources() = default;
  DescriptionSources(std::string line_name, std::optional<std::string_view> line_text, std::string train_name,
                     std::optional<std::string_view> train_text);
  void set(Description which, std::string name, std::optional<std::string_view> text);

  const std::string& name(Description which) const { return source(which).name; }
  std::optional<std::string_view> text(Description which) const { return source(which).text; }
  // The text of a line (1-based) of a description; empty when it is not at hand.
  std::string_view line_text(Description which, int line) const;
  // The description a file of the model names, when it is one of the two.
  std::optional<Description> named(std::string_view file) const;

  // The place with its span: from its column to the end of its last field (a comma or the
  // line end, less trailing spaces), at least one character. Without the text, one character.
  Place place(const SourcePlace& place) const;
  std::optional<Place> place(const std::optional<SourcePlace>& place) const {
    return place ? std::optional<Place>(this->place(*place)) : std::nullopt;
  }

 private:
  struct Source {
    std::string name;
    std::optional<std::string_view> text;
    mutable std::optional<LineIndex> lines;  // made at the first place asked for
  };
  const Source& source(Description which) const { return which == Description::line ? line_ : train_; }
  Source& source(Description which) { return which == Description::line ? line_ : train_; }
  Source line_;
  Source train_;
};

// What the compiler finds beside the fault number: the warnings, and what the fault's
// diagnostic needs to blame the right record.
struct CompileDiagnostics {
  static constexpr size_t kWarningLimit = 500;  // a hostile file must not flood the terminal
  std::vector<Diagnostic> warnings;             // in the order they were found, at most the limit
  size_t warnings_dropped = 0;                  // found beyond the limit
  size_t warnings_before_fault = SIZE_MAX;      // warnings from here on were found after the fault
  void add_warning(Diagnostic d) {
    if (warnings.size() < kWarningLimit)
      warnings.push_back(std::move(d));
    else
      ++warnings_dropped;
  }
  // For the fault: what failed (fault 25), the position to show when the model's
  // error_position names a later record, and notes pointing at earlier values.
  std::optional<Message> fault_detail;
  std::optional<int32_t> fault_position;
  std::vector<Diagnostic> fault_notes;
  std::optional<int32_t> taken_section;  // the section a "not free" fault found taken, when known
  // Where values were read that later faults depend on.
  std::optional<SourcePlace> length_place;  // the number of "lunghezza percorso"
  int32_t length = 0;
  std::optional<SourcePlace> chainage_place;    // the first chainage record off the 50 m grid
  std::optional<SourcePlace> line_fault_place;  // a fault 15 of the line half
  std::optional<SourcePlace> last_sign_place;   // the last sign board of the line (fault 10)
  int32_t line_fault_position = 0;
  // Section index -> the record that put its feature there.
  std::map<int32_t, SourcePlace> placed_by;
  // The first records that wrote section 1's data1 and data2 (reserved places).
  std::optional<SourcePlace> reserved_data1;
  std::optional<SourcePlace> reserved_data2;
};

// A field's text (Windows-1252) in single quotes, safe to print and at most about 40
// characters long.
std::string quote_field(std::string_view cp1252);

// Text that is safe to print: every byte below 0x20 (tab included) and 0x7F as \xNN.
// For file names and other UTF-8 text.
std::string printable(std::string_view utf8);

// Where the field that starts at column ends: the column just past its last character, the
// field running to a comma or the line end, less trailing spaces; with fields above 1 it
// runs on over that many fields. At least one character past the column.
int field_end_column(std::string_view cp1252_line, int column, int fields = 1);

// The source line as shown (UTF-8, escaped, windowed) and the caret line under the span
// from column to end_column: "^" and "~" up to its end. Tabs are kept in both lines so
// that they line up.
struct ShownSource {
  std::string line;
  std::string caret;
};
ShownSource show_span(std::string_view cp1252_line, int column, int end_column);
// The caret under the field(s) that start at column (see field_end_column).
ShownSource show_source(std::string_view cp1252_line, int column, int fields = 1);

// Renders diagnostics for a terminal, in a language, showing the source lines of the
// descriptions whose texts it has.
class DiagnosticPrinter {
 public:
  explicit DiagnosticPrinter(DescriptionSources sources = {}, Language language = Language::en);
  DiagnosticPrinter(std::string line_name, std::optional<std::string_view> line_text, std::string train_name,
                    std::optional<std::string_view> train_text, Language language = Language::en);

  // "FILE:LINE:COL: warning: message [-Wname]", the source line and the caret; then the
  // notes, each "note: message: FILE:LINE:COL" with its source line and caret. With
  // werror a warning is shown as an error ("[-Werror,-Wname]"). An accepted warning
  // shows nothing; a recovery note is its place and its message alone.
  std::string format(const Diagnostic& d, bool werror = false) const;

  // "FILE:LINE:COL", "FILE" for line 0; names are shown printable.
  static std::string place_text(const Place& place);
  const DescriptionSources& sources() const { return sources_; }
  Language language() const { return language_; }

 private:
  void append_source(std::string& out, const Place& place) const;

  DescriptionSources sources_;
  Language language_;
};

// The fault the compiler left, as a diagnostic: "fault N: meaning (at M m)" at its record.
Diagnostic fault_diagnostic(int32_t code, int32_t position, const FaultSite& site,
                            const CompileDiagnostics& found, const DescriptionSources& sources);

// A conflict of the abbattimento pass, a warning at the signal or slow-down it concerns.
Diagnostic conflict_diagnostic(int32_t code, int32_t position, const CompileDiagnostics& found,
                               const DescriptionSources& sources);

// Errore 1250 / 1251 at the record that took the reserved place of section 1.
Diagnostic errore_diagnostic(const std::string& errore, const TrackModel& model,
                             const CompileDiagnostics& found, const DescriptionSources& sources);

// The utf8-input warning for a text read as Windows-1252 that is valid UTF-8 with
// non-ASCII characters, at the first of them; nullopt otherwise.
std::optional<Diagnostic> utf8_input_warning(Description which, std::string_view text,
                                             const DescriptionSources& sources);

// The suggestion nearest by edit distance (ignoring case), or empty when none is near.
std::string nearest_word(std::string_view word, std::span<const std::string_view> candidates);

}  // namespace compactor
