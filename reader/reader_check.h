#pragma once
// Verification of compiled files read back: sizes against the line length, the two
// markers, the scenario codes against the names, and the slots the sections refer to; each
// said in a language.

#include <string>
#include <vector>

#include "compiler/track_model.h"
#include "sources/messages.h"

namespace compactor::inspect {

struct CheckItem {
  bool ok = false;
  std::string text;
  bool skipped = false;  // not made, for want of a file; ok stays true and text says why
};

// One item per check, in a fixed order; the route plot is checked when it was read, and
// skipped, with an item that says so, when it was not.
std::vector<CheckItem> check_scenario(const TrackModel& model, Language language = Language::en);

// The lines of --check: "ok     ...", "WRONG  ...", "skip   ...", then "check passed" or
// "check failed", with the number of checks skipped.
std::string check_report(const std::vector<CheckItem>& items, Language language = Language::en);

inline bool all_ok(const std::vector<CheckItem>& items) {
  for (const auto& i : items)
    if (!i.ok) return false;
  return true;
}

}  // namespace compactor::inspect
