#include "reader/reader_check.h"

#include "output/compiled_format.h"
#include "output/scenario_codes.h"
#include "sources/cp1252.h"
#include "reader/reader_view.h"

namespace compactor::inspect {
namespace {

std::string num(int64_t v) { return std::to_string(v); }

CheckItem equal(const std::string& what, int64_t found, int64_t expected, const std::string& because) {
  if (found == expected) return {true, what + " is " + num(found) + because};
  return {false, what + " is " + num(found) + ", expected " + num(expected) + because};
}

// Sign boards and station ends refer to slots: the slot must exist and hold a text.
void check_references(const TrackModel& m, std::vector<CheckItem>& items) {
  int signs = 0;
  int ends = 0;
  std::vector<std::string> wrong;
  for (int32_t i = 0; i < m.section_count(); ++i) {
    const TrackCell& c = m.sections[static_cast<size_t>(i)];
    if (c.kind != kKindSignBoard && c.kind != kKindStationEnd) continue;
    (c.kind == kKindSignBoard ? signs : ends) += 1;
    if (c.data1 < 1 || c.data1 > kFirstSignSlot || m.slots[static_cast<size_t>(c.data1)].text.empty())
      wrong.push_back("section " + num(i) + " (" + kind_name(c.kind) + ") refers to slot " + num(c.data1) +
                      ", which holds no text");
  }
  // A sign text that no board refers to: its board was written over, by a station end.
  std::vector<bool> referred(kSlotCount, false);
  for (const TrackCell& c : m.sections)
    if (c.kind == kKindSignBoard && c.data1 >= 0 && c.data1 < kSlotCount)
      referred[static_cast<size_t>(c.data1)] = true;
  for (int s = 1; s <= kFirstSignSlot; ++s) {
    const SlotRecord& slot = m.slots[static_cast<size_t>(s)];
    if (is_text_only_slot(slot) && !referred[static_cast<size_t>(s)])
      wrong.push_back("slot " + num(s) + " holds the sign text " + cp1252_to_utf8(slot.text) +
                      ", which no sign board refers to (a station end may have been written over its board)");
  }
  if (wrong.empty()) {
    items.push_back(
        {true, num(signs) + " sign boards and " + num(ends) + " station ends refer to slots with a text"});
    return;
  }
  for (auto& w : wrong) items.push_back({false, std::move(w)});
}

}  // namespace

std::string check_report(const std::vector<CheckItem>& items) {
  std::string out;
  int skipped = 0;
  for (const CheckItem& i : items) {
    out += (i.skipped ? "skip   " : i.ok ? "ok     " : "WRONG  ") + i.text + "\n";
    skipped += i.skipped ? 1 : 0;
  }
  out += all_ok(items) ? "check passed" : "check failed";
  if (skipped > 0) out += ", " + num(skipped) + (skipped == 1 ? " check" : " checks") + " skipped";
  return out + "\n";
}

std::vector<CheckItem> check_scenario(const TrackModel& m) {
  std::vector<CheckItem> items;
  const int64_t length = line_length(m);
  const int64_t cell_limit = cell_limit_for(line_length(m));
  items.push_back(equal("the number of sections", m.section_count(), cell_limit + 1,
                        " for a line of " + num(length) + " m (slot 84 value2)"));
  if (m.plot_created) {
    items.push_back(equal("the number of route plot points", int64_t{m.route_plot.points()},
                          length + kSpareMetres + 1, " for a line of " + num(length) + " m"));
  } else {
    items.push_back(
        {true, "the number of route plot points: no route plot file given (ROUTE_linea.dat)", true});
  }
  const SlotRecord& scene = m.slots[kSceneSlot];
  items.push_back(equal("the marker in slot 85 short1", scene.short1, format::kSlotMarker, ""));
  if (m.section_count() > 1) {
    items.push_back(equal("the marker in section 1 data1", m.sections[1].data1, format::kSectionMarker, ""));
  } else {
    items.push_back({false, "there is no section 1 for the marker 5121 and the plain scenario code"});
  }
  const std::string names = " for train " + m.train_number + " on " + m.line_name;
  items.push_back(
      equal("the weighted scenario code in slot 85 value4", scene.value4, codice_gara_st(m), names));
  if (m.section_count() > 1)
    items.push_back(
        equal("the plain scenario code in section 1 data2", m.sections[1].data2, codice_gara_og(m), names));
  check_references(m, items);
  return items;
}

}  // namespace compactor::inspect
