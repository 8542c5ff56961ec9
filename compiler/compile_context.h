#pragma once
// State shared by the two halves of memorizza_dati while one compile runs.

#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>

#include "compiler/description_files.h"
#include "compiler/diagnostics.h"
#include "compiler/track_model.h"
#include "sources/field_reader.h"

namespace compactor {

// Where a keyword is read, for the unknown-keyword and unknown-section warnings.
enum class KeywordPlace { before_header, line_general, line_body, train };

struct CompileContext : FieldObserver {
  CompileContext(TrackModel& m, DescriptionFiles& f, CompileDiagnostics& d) : model(m), files(f), found(d) {
    for (const Description which : {Description::line, Description::train})
      sources.set(which, files.description_name(which), std::nullopt);
  }

  TrackModel& model;
  DescriptionFiles& files;
  CompileDiagnostics& found;
  bool line_deleted = false;
  bool train_deleted = false;
  Description current = Description::line;  // the description being read
  Field keyword;                            // keyword field of the record being handled
  // The descriptions' names and the texts read so far, for the places of the diagnostics;
  // the texts are kept until the compile ends.
  DescriptionSources sources;
  std::optional<std::string> texts[2];

  // Reads a description and keeps its text for the compile; nullopt when there is none.
  const std::optional<std::string>& read_description(Description which) {
    std::optional<std::string>& text = texts[which == Description::line ? 0 : 1];
    text = files.read_description(which);
    sources.set(which, files.description_name(which),
                text ? std::optional<std::string_view>(*text) : std::nullopt);
    return text;
  }

  // Deletes a description once (the compiler is done with it).
  void delete_description(Description which) {
    bool& done = which == Description::line ? line_deleted : train_deleted;
    if (!done) files.delete_description(which);
    done = true;
  }

  // Records the site of a fault for diagnostics: the field of the value at fault, or the
  // current record's keyword.
  void mark_fault_site(const Field* at = nullptr) {
    const Field& f = at ? *at : keyword;
    model.fault_site = FaultSite{true, current, f.line, f.column};
    // A value on a later line than its record's keyword: say whose value it is.
    if (f.line != keyword.line && keyword.line > 0)
      found.fault_notes.push_back(note(msg(MessageId::note_value_belongs), resolve(place_of(keyword))));
  }

  // A fault that ends the compile: close and delete the description being read,
  // set error_code (and error_position when given), blamed on the field at.
  void stop(int32_t code, std::optional<int32_t> position = std::nullopt, const Field* at = nullptr) {
    delete_description(current);
    model.error_code = code;
    if (position) model.error_position = *position;
    mark_fault_site(at);
  }

  // --- Warnings (they never change the model) ---

  // Starts a description: warnings of the reader are wanted once its header is found.
  void begin_description(Description which, FieldReader& reader);
  SourcePlace place_of(const Field& f) const { return SourcePlace{current, f.line, f.column}; }
  Place resolve(const SourcePlace& place) const { return sources.place(place); }
  void warn(std::string_view name, const SourcePlace& place, Message message,
            std::vector<Diagnostic> notes = {}, std::vector<Fix> fixes = {});

  // FieldObserver: text in a number field, a tab in a field.
  void not_a_number(const Field& field) override;
  void tab_in_field(const Field& field, int column) override;

  // A keyword field that matched no record: unknown-keyword or unknown-section, unless it
  // is a comment, a known header, a leftover of a line already warned about, or no word.
  void unmatched_keyword(const Field& field, KeywordPlace where);
  // After a record's fields: run-on-record or extra-fields.
  void check_record_layout(FieldReader& reader, const Field& keyword);
  // A position that the record rounds to its section; what names the position's role.
  void check_rounding(const Field& field, int64_t position, MessageId what = MessageId::what_position);
  // A record beyond the line's length.
  void check_beyond(const Field& field, int64_t position, const Field& keyword);
  // The record of the current keyword put its feature in this section.
  void placed(int64_t section);
  // An unknown keyword or section header (the warning name), with the nearest known word as
  // its fix when there is one.
  void warn_unknown(std::string_view name, const Field& field, const std::string& near);
  // The fix that puts replacement in place of the field's text (less its trailing spaces).
  Fix replace_field(const Field& field, std::string replacement) const;
  // A comment field passed over: one that ends at a comma rather than its line end.
  void passed_comment(const Field& field);

  // A station as read, for the timetable warnings.
  struct TimedStation {
    std::string name;  // Windows-1252
    int32_t position = 0;
    int64_t time = 0;         // seconds after midnight; 0 = none
    SourcePlace time_place;   // its three time fields
    SourcePlace record_place; // its keyword
    bool timed() const { return time != 0; }
  };
  // A station's time fields: hours outside 0 to 23, minutes or seconds outside 0 to 59.
  void check_time_fields(const Field (&fields)[3], const int64_t (&values)[3]);
  // After a compile without a fault: the timetable against the fastest run.
  void check_timetable(std::span<const TimedStation> stations, std::optional<SourcePlace> clock_place);
  // After a record: remember the first record that wrote a reserved place of section 1.
  void watch_reserved();

  bool watching = false;  // the header of the description has been found
  int quiet_line = 0;     // a line whose remaining fields have been warned about
  int tab_line = 0;       // a line whose tab has been warned about

 private:
  // The nearest of the known words, found once for each word a description repeats.
  const std::string& suggestion(const std::string& word, std::span<const std::string_view> known);
  std::map<std::pair<const std::string_view*, std::string>, std::string> suggestions_;
};

// The line half: reads the line description into the model. Returns true when the
// train half is to follow (a normal end, or fault 15), false when it stopped.
bool compile_line_description(CompileContext& ctx);

// The train half: reads the train description into the model.
void compile_train_description(CompileContext& ctx);

}  // namespace compactor
