// Arbitrary bytes as a line description and a train description (split at the
// first "\n@@@@\n"), through the whole compile, the abbattimento pass and the
// encoders; the written bytes must read back to the same model.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "compiler/track_model.h"
#include "output/compiled_files.h"
#include "output/memorizza_percorso.h"
#include "testing/memory_scenario_io.h"

namespace {

using namespace compactor;

void check(bool ok, const char* what) {
  if (!ok) {
    fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view input(reinterpret_cast<const char*>(data), size);
  const std::string_view marker = "\n@@@@\n";
  const size_t at = input.find(marker);
  const std::string line(input.substr(0, at));
  const std::string train =
      at == std::string_view::npos ? std::string() : std::string(input.substr(at + marker.size()));

  TrackModel model;
  model.line_name = "L";
  model.train_number = "1";
  testing::MemoryScenarioIo io;
  io.descriptions.line = line;
  io.descriptions.train = train;
  const PercorsoOutcome out = memorizza_percorso(model, 1, io);

  if (!model.sections_created) {
    check(io.sink.files.empty(), "files written without a section array");
    return 0;
  }
  check(model.section_count() == model.cell_limit + 1, "section array is not cell_limit + 1 long");
  if (model.plot_created)
    check(model.route_plot.size() == 2 * (static_cast<size_t>(model.plot_limit) + 1), "route plot size");
  check(model.next_sign_slot >= 0 && model.next_sign_slot <= 80, "next_sign_slot left its range");
  if (!out.errore.empty()) {
    check(io.sink.files.empty(), "files written after errore");
    return 0;
  }
  check(io.sink.files.size() == 3, "three compiled files");
  check(decode_sections(io.sink.files.at("L_1.dat")) == model.sections, "sections do not read back");
  check(decode_slots(io.sink.files.at("L_1.sim")) == model.slots, "slots do not read back");
  const auto plot = decode_route_plot(io.sink.files.at("L_linea.dat"));
  check(plot.size() == model.route_plot.size(), "plot size does not read back");
  for (size_t i = 0; i < plot.size(); ++i) {
    const auto& a = plot[i];
    const auto& b = model.route_plot[i];
    check(a.index() == b.index(), "plot tag does not read back");
    if (const auto* d = std::get_if<double>(&a)) {
      const double e = std::get<double>(b);
      check(*d == e || (*d != *d && e != e), "plot value does not read back");
    }
  }
  return 0;
}
