#pragma once
// The texts of a scenario pack. A pack is a folder: scenario.json (identity and encoding),
// the two descriptions line.txt and train.txt, and the three documents scheda_treno.txt,
// rallentamenti.txt and note.txt. Each text file is a series of lines in the pack's
// encoding; its lines become the line table of the fixed-text writer, which writes them
// out in Windows-1252 with CR LF.

#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "sources/messages.h"

namespace compactor {

enum class TextEncoding { utf8, windows1252 };

// "utf-8" and "windows-1252", the names scenario.json uses.
std::optional<TextEncoding> encoding_named(std::string_view name);
std::string_view encoding_name(TextEncoding encoding);

inline constexpr std::string_view kPackManifest = "scenario.json";
inline constexpr std::string_view kPackLine = "line.txt";
inline constexpr std::string_view kPackTrain = "train.txt";
inline constexpr std::string_view kPackCard = "scheda_treno.txt";
inline constexpr std::string_view kPackForm = "rallentamenti.txt";
inline constexpr std::string_view kPackNotes = "note.txt";

// Something in a text that keeps it from going into a line table as it stands; line and
// column count from 1, the column in characters. A problem of the encoding (a byte, a
// character) covers that one character; one of the line table (too many lines, the writer's
// end-of-text marker) or a line longer than any text's stands at its line.
struct TextProblem {
  enum class Kind { encoding, line_table, long_line };
  int line = 0;
  int column = 0;
  Message message;
  Kind kind = Kind::encoding;
  bool operator==(const TextProblem&) const = default;
};

struct DecodedText {
  std::vector<std::string> lines;  // UTF-8, without their line ends (the first 1000)
  std::vector<TextProblem> problems;  // the first kMostProblems (sources/text_bounds.h)
  size_t problems_not_kept = 0;       // found beyond them
};

// Cuts a text into lines at LF (a CR right before it is part of the line end, and the
// last line needs no line end), drops one UTF-8 byte-order mark at the start of a UTF-8
// text, and decodes every line to UTF-8. Every problem is noted: bytes that are not
// UTF-8, a character without a Windows-1252 byte, a control character other than tab
// (a lone CR among them), a line equal to the writer's end-of-text marker (the text
// would end there), and more lines than the line table holds.
DecodedText decode_pack_text(std::string_view bytes, TextEncoding encoding);

// A pack's identity and texts as a build embeds them: the bytes of the files as they stand.
struct PackBytes {
  std::string_view line_name;  // UTF-8
  std::string_view train_number;
  TextEncoding encoding;
  std::string_view line;
  std::string_view train;
  std::string_view notes;
  std::string_view form;
  std::string_view card;
};

// A pack's texts decoded into the lines of their line tables. Made once and kept: the
// line views point into it.
class PackTexts {
 public:
  // Throws std::invalid_argument naming the file and the first problem; the build's
  // check of the pack has ruled that out for every pack a program carries.
  explicit PackTexts(const PackBytes& bytes);
  PackTexts(const PackTexts&) = delete;
  PackTexts& operator=(const PackTexts&) = delete;

  const std::string& line_name() const { return line_name_; }
  const std::string& train_number() const { return train_number_; }
  std::span<const std::string_view> line() const { return line_.views; }
  std::span<const std::string_view> train() const { return train_.views; }
  std::span<const std::string_view> notes() const { return notes_.views; }
  std::span<const std::string_view> form() const { return form_.views; }
  std::span<const std::string_view> card() const { return card_.views; }

 private:
  struct Lines {
    Lines(std::string_view file, std::string_view bytes, TextEncoding encoding);
    std::vector<std::string> lines;
    std::vector<std::string_view> views;
  };
  std::string line_name_;
  std::string train_number_;
  Lines line_, train_, notes_, form_, card_;
};

// The scenario this repository carries (Rovella_Tirsa, train 7162), from its pack in
// scenarios/rovella_tirsa_7162, embedded when the core is built.
const PackTexts& builtin_pack();

}  // namespace compactor
