#pragma once
// The section table and the slot table of a compiled scenario, as aligned text in a language
// (the names of the fields, data1 or signal_time, stay as the format names them).

#include <cstdint>
#include <optional>
#include <ostream>
#include <string>

#include "compiler/realistic_run.h"
#include "compiler/track_model.h"
#include "sources/messages.h"

namespace compactor::inspect {

// Sections FROM to TO inclusive; an end left out is the first or the last section.
struct SectionRange {
  std::optional<int32_t> from;
  std::optional<int32_t> to;
};

// Parses "FROM:TO", ":TO", "FROM:", ":" or a single index "N" (N:N); nullopt when the text
// is not such a range.
std::optional<SectionRange> parse_section_range(const std::string& text);

// Why a parsed range shows no section of a scenario with section_count sections (FROM after
// TO, or FROM beyond the last section), or nullopt when it shows some. A TO beyond the last
// section is cut to it.
std::optional<Message> section_range_problem(const SectionRange& range, int32_t section_count);

// One row per section: index, start metre, kind, data1..4, signal_time, approach_mark,
// mountain_type, speed (km/h), gradient (per mille; "-" where it was never filled),
// adhesion, and what the feature means.
void write_sections_table(std::ostream& out, const TrackModel& model, const SectionRange& range,
                          Language language = Language::en);

// The header values by meaning, the stations and the sign texts, then any other
// non-empty slot with its raw fields.
void write_slots_table(std::ostream& out, const TrackModel& model, Language language = Language::en);

// One row per station: name, position, chainage, timetable time (a dash when none), the
// fastest possible time from the timed station before it, the realistic run's time at that
// planning acceleration, the time the timetable gives, the margin over the fastest, and what
// is wrong; then the clock.
void write_timetable_table(std::ostream& out, const TrackModel& model,
                           double acceleration = kPlanningAcceleration, Language language = Language::en);

}  // namespace compactor::inspect
