#include "compiler/track_model.h"

#include "sources/conversion.h"

namespace compactor {

void TrackModel::clear_slots() {
  for (auto& s : slots) s = SlotRecord{};
}

void TrackModel::create_sections_and_plot(int32_t length) {
  plot_limit = length + kSpareMetres;
  cell_limit = div_round(plot_limit, kMetresPerSection);
  sections.assign(static_cast<size_t>(cell_limit) + 1, TrackCell{});
  sections_created = true;
  if (plot_wanted != 0) {
    route_plot = RoutePlot(plot_limit + 1);
    plot_created = true;
  }
}

TrackCell& TrackModel::section(int64_t index) {
  if (index < 0 || index >= static_cast<int64_t>(sections.size()))
    throw IndexFault("section " + std::to_string(index) + " outside 0.." +
                     std::to_string(static_cast<int64_t>(sections.size()) - 1));
  return sections[static_cast<size_t>(index)];
}

const TrackCell& TrackModel::section(int64_t index) const {
  return const_cast<TrackModel*>(this)->section(index);
}

SlotRecord& TrackModel::slot(int64_t index) {
  if (index < 0 || index >= kSlotCount) throw IndexFault("slot " + std::to_string(index) + " outside 0..86");
  return slots[static_cast<size_t>(index)];
}

const SlotRecord& TrackModel::slot(int64_t index) const { return const_cast<TrackModel*>(this)->slot(index); }

int32_t cell_limit_for(int32_t length) {
  return div_round(static_cast<int64_t>(length) + kSpareMetres, kMetresPerSection);
}

int32_t point_section(int32_t position) {
  return to_int<int32_t>(static_cast<double>(position) / kMetresPerSection + 1.0);
}

bool range_check(const TrackModel& model, int32_t position, int32_t margin) {
  return (static_cast<double>(position) + margin) / kMetresPerSection <=
         static_cast<double>(model.cell_limit);
}

}  // namespace compactor
