#pragma once
// Diagnostics of a compile: faults, warnings and the notes that go with them, each tied
// to a place in a description where one is known, and their text for a terminal:
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

namespace compactor {

enum class Severity { error, warning, note };

// A place in a description: line 0 stands for the file as a whole.
struct SourcePlace {
  Description description = Description::line;
  int line = 0;    // 1-based
  int column = 0;  // 1-based, in characters of the line
  int fields = 1;  // how many fields from the column the caret runs under
  bool operator==(const SourcePlace&) const = default;
};

struct Diagnostic {
  Severity severity = Severity::warning;
  std::optional<SourcePlace> place;
  std::string message;  // UTF-8, already safe to print
  std::string warning;  // the warning's name, for [-W<name>]; empty for errors and notes
  std::vector<Diagnostic> notes;
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
  std::string fault_detail;
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

// The source line as shown (UTF-8, escaped, windowed) and the caret line under the field
// that starts at column: "^" and "~" up to the end of the field (a comma or the line end,
// less trailing spaces). Tabs are kept in both lines so that they line up.
struct ShownSource {
  std::string line;
  std::string caret;
};
// With fields above 1 the caret runs on under that many fields.
ShownSource show_source(std::string_view cp1252_line, int column, int fields = 1);

// Formats diagnostics against the two descriptions (names as shown, texts in
// Windows-1252 as compiled; a text may be absent).
class DiagnosticPrinter {
 public:
  DiagnosticPrinter(std::string line_name, std::optional<std::string_view> line_text, std::string train_name,
                    std::optional<std::string_view> train_text);

  // "FILE:LINE:COL: warning: message [-Wname]", the source line and the caret; then the
  // notes, each "note: message: FILE:LINE:COL" with its source line and caret. With
  // werror a warning is shown as an error ("[-Werror,-Wname]").
  std::string format(const Diagnostic& d, bool werror = false) const;

  // "FILE:LINE:COL", "FILE" for line 0; names are shown printable.
  std::string place_text(const SourcePlace& place) const;
  const std::string& name(Description d) const { return file(d).name; }

 private:
  struct File {
    std::string name;
    std::optional<std::string_view> text;
    std::vector<size_t> line_starts;
  };
  const File& file(Description d) const { return d == Description::line ? line_ : train_; }
  std::string_view source_line(const SourcePlace& place) const;
  void append_source(std::string& out, const SourcePlace& place) const;

  File line_;
  File train_;
};

// The fault the compiler left, as a diagnostic: "fault N: meaning (at M m)" at its record.
Diagnostic fault_diagnostic(int32_t code, int32_t position, const FaultSite& site,
                            const CompileDiagnostics& found);

// A conflict of the abbattimento pass, a warning at the signal or slow-down it concerns.
Diagnostic conflict_diagnostic(int32_t code, int32_t position, const CompileDiagnostics& found);

// Errore 1250 / 1251 at the record that took the reserved place of section 1.
Diagnostic errore_diagnostic(const std::string& errore, const TrackModel& model,
                             const CompileDiagnostics& found);

// The utf8-input warning for a text read as Windows-1252 that is valid UTF-8 with
// non-ASCII characters, at the first of them; nullopt otherwise.
std::optional<Diagnostic> utf8_input_warning(Description which, std::string_view text);

// The suggestion nearest by edit distance (ignoring case), or empty when none is near.
std::string nearest_word(std::string_view word, std::span<const std::string_view> candidates);

}  // namespace compactor
