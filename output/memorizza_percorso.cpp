#include "output/memorizza_percorso.h"

#include "compiler/memorizza_dati.h"
#include "output/compiled_files.h"
#include "output/compiled_format.h"
#include "output/scenario_codes.h"
#include "sources/file_names.h"

namespace compactor {

PercorsoOutcome memorizza_percorso(TrackModel& model, int32_t j, ScenarioIo& io) {
  PercorsoOutcome out;
  model.plot_wanted = j;
  model.error_code = 0;
  model.clear_slots();

  memorizza_dati(model, io, &out.diagnostics);
  out.fault_code = model.error_code;
  out.fault_position = model.error_position;
  out.fault_site = model.fault_site;
  out.sections_created = model.sections_created;
  // Without a section array there is nothing to complete or write.
  if (!model.sections_created) return out;

  out.conflicts = abbattimento_pass(model);

  SlotRecord& header = model.slot(format::kMarkerSlot);
  TrackCell& first = model.section(1);
  if (header.short1 != 0 || first.data1 != 0) {
    out.errore = "1250";
    io.errore(out.errore);
    return out;
  }
  header.short1 = format::kSlotMarker;
  first.data1 = format::kSectionMarker;
  if (header.value4 != 0 || first.data2 != 0) {
    out.errore = "1251";
    io.errore(out.errore);
    return out;
  }
  out.weighted_code = codice_gara_st(model);
  header.value4 = *out.weighted_code;
  out.plain_code = codice_gara_og(model);
  first.data2 = static_cast<int16_t>(*out.plain_code);  // at most 6375

  // The three files change together: each goes to a temporary first, and only when all
  // are written are they put in place, in this order. A failure before then leaves the
  // old set whole.
  struct Set {
    ScenarioIo& io;
    bool done = false;
    ~Set() {
      if (!done) io.abandon_set();
    }
  } set{io};
  io.begin_set();
  auto replace = [&](const std::string& name, const std::string& bytes) {
    io.replace_file(name, bytes);
    out.files.push_back(name);
  };
  if (model.plot_wanted != 0) {
    RoutePlotSource plot(model.route_plot);
    io.replace_file_from(route_plot_name(model.line_name), plot);
    out.files.push_back(route_plot_name(model.line_name));
  }
  replace(slot_table_name(model.line_name, model.train_number), encode_slots(model.slots));
  replace(section_array_name(model.line_name, model.train_number), encode_sections(model.sections));
  set.done = true;
  io.commit_set();
  return out;
}

}  // namespace compactor
