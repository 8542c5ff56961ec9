#include "reader/reader_check.h"

#include <algorithm>

#include "output/compiled_format.h"
#include "output/scenario_codes.h"
#include "reader/reader_view.h"
#include "sources/cp1252.h"

namespace compactor::inspect {
namespace {

std::string num(int64_t v) { return std::to_string(v); }

CheckItem equal(Language l, MessageId what, int64_t found, int64_t expected, const Message& because) {
  if (found == expected)
    return {true, render(Message{MessageId::check_is, {num(found)}, {msg(what), because}}, l)};
  return {false,
          render(Message{MessageId::check_is_not, {num(found), num(expected)}, {msg(what), because}}, l)};
}

// Sign boards and station ends refer to slots: the slot must exist and hold a text.
void check_references(const TrackModel& m, std::vector<CheckItem>& items, Language l) {
  int signs = 0;
  int ends = 0;
  std::vector<std::string> wrong;
  for (int32_t i = 0; i < m.section_count(); ++i) {
    const TrackCell& c = m.sections[static_cast<size_t>(i)];
    if (c.kind != kKindSignBoard && c.kind != kKindStationEnd) continue;
    (c.kind == kKindSignBoard ? signs : ends) += 1;
    if (c.data1 < 1 || c.data1 > kFirstSignSlot || m.slots[static_cast<size_t>(c.data1)].text.empty())
      wrong.push_back(say(l, MessageId::check_no_text, num(i), kind_name(c.kind, l), num(c.data1)));
  }
  // A sign text that no board refers to: its board was written over, by a station end.
  std::vector<bool> referred(kSlotCount, false);
  for (const TrackCell& c : m.sections)
    if (c.kind == kKindSignBoard && c.data1 >= 0 && c.data1 < kSlotCount)
      referred[static_cast<size_t>(c.data1)] = true;
  for (int s = 1; s <= kFirstSignSlot; ++s) {
    const SlotRecord& slot = m.slots[static_cast<size_t>(s)];
    if (is_text_only_slot(slot) && !referred[static_cast<size_t>(s)])
      wrong.push_back(say(l, MessageId::check_orphan_text, num(s), cp1252_to_utf8(slot.text)));
  }
  if (wrong.empty()) {
    items.push_back({true, say(l, MessageId::check_references, num(signs), num(ends))});
    return;
  }
  for (auto& w : wrong) items.push_back({false, std::move(w)});
}

}  // namespace

std::string check_report(const std::vector<CheckItem>& items, Language l) {
  const std::string ok = say(l, MessageId::check_ok), wrong = say(l, MessageId::check_wrong),
                    skip = say(l, MessageId::check_skip);
  // The words in a column of their own, at least seven wide.
  size_t width = 7;
  for (const std::string* w : {&ok, &wrong, &skip}) width = std::max(width, w->size() + 1);
  std::string out;
  int skipped = 0;
  for (const CheckItem& i : items) {
    const std::string& word = i.skipped ? skip : i.ok ? ok : wrong;
    out += word + std::string(width - word.size(), ' ') + i.text + "\n";
    skipped += i.skipped ? 1 : 0;
  }
  out += say(l, all_ok(items) ? MessageId::check_passed : MessageId::check_failed);
  if (skipped > 0)
    out += say(l, skipped == 1 ? MessageId::check_skipped_one : MessageId::check_skipped_many, num(skipped));
  return out + "\n";
}

std::vector<CheckItem> check_scenario(const TrackModel& m, Language l) {
  std::vector<CheckItem> items;
  const int64_t length = line_length(m);
  const int64_t cell_limit = cell_limit_for(line_length(m));
  items.push_back(equal(l, MessageId::check_section_count, m.section_count(), cell_limit + 1,
                        msg(MessageId::check_for_line_slot, num(length))));
  if (m.plot_created) {
    items.push_back(equal(l, MessageId::check_plot_points, int64_t{m.route_plot.points()},
                          length + kSpareMetres + 1, msg(MessageId::check_for_line, num(length))));
  } else {
    items.push_back({true, say(l, MessageId::check_plot_skipped), true});
  }
  const SlotRecord& scene = m.slots[kSceneSlot];
  const Message none = msg(MessageId::empty);
  items.push_back(equal(l, MessageId::check_slot_marker, scene.short1, format::kSlotMarker, none));
  if (m.section_count() > 1) {
    items.push_back(
        equal(l, MessageId::check_section_marker, m.sections[1].data1, format::kSectionMarker, none));
  } else {
    items.push_back({false, say(l, MessageId::check_no_section_1)});
  }
  const Message names = msg(MessageId::check_for_train, m.train_number, m.line_name);
  items.push_back(equal(l, MessageId::check_weighted_code, scene.value4, codice_gara_st(m), names));
  if (m.section_count() > 1)
    items.push_back(equal(l, MessageId::check_plain_code, m.sections[1].data2, codice_gara_og(m), names));
  check_references(m, items, l);
  return items;
}

}  // namespace compactor::inspect
