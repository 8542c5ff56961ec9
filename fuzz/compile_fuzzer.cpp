// Arbitrary bytes as a line description and a train description (split at the
// first "\n@@@@\n"), through the whole compile, the abbattimento pass and the
// encoders; every index must stay in its table and the written bytes must read back
// to the same model. The checks cost what the input touched: the route plot is
// checked through its runs, never value by value.
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>

#include "compiler/track_model.h"
#include "output/compiled_files.h"
#include "output/compiled_format.h"
#include "output/memorizza_percorso.h"
#include "output/test_support.h"

namespace {

using namespace compactor;

void check(bool ok, const char* what) {
  if (!ok) {
    fprintf(stderr, "invariant broken: %s\n", what);
    std::abort();
  }
}

// Where the value of a metre starts within one axis of the file: the origin points
// take 4 bytes, the computed ones 10, the empty ones 2.
int64_t offset_in_axis(const RoutePlot& p, int64_t metre) {
  const int64_t origin = p.origin_points();
  const int64_t computed_end = origin == 2 ? p.next() : origin;
  int64_t at = 4 * std::min(metre, origin);
  at += 10 * std::max<int64_t>(0, std::min(metre, computed_end) - origin);
  return at + 2 * std::max<int64_t>(0, metre - computed_end);
}

// The value a file holds at a byte offset, read without the library's decoder.
PlotValue value_at(std::string_view file, int64_t offset) {
  auto le = [&](int64_t at, int n) {
    check(at >= 0 && at + n <= static_cast<int64_t>(file.size()), "plot file too short");
    uint64_t v = 0;
    for (int k = 0; k < n; ++k) v |= uint64_t{static_cast<uint8_t>(file[static_cast<size_t>(at + k)])} << (8 * k);
    return v;
  };
  const uint64_t tag = le(offset, 2);
  if (tag == format::kTagInt16) return static_cast<int16_t>(le(offset + 2, 2));
  if (tag == format::kTagDouble) return std::bit_cast<double>(le(offset + 2, 8));
  check(tag == format::kTagEmpty, "unknown plot tag written");
  return std::monostate{};
}

bool same(const PlotValue& a, const PlotValue& b) {
  if (a.index() != b.index()) return false;
  if (const auto* d = std::get_if<double>(&a))
    return std::bit_cast<uint64_t>(*d) == std::bit_cast<uint64_t>(std::get<double>(b));
  return a == b;
}

void check_plot(const TrackModel& model, std::string_view file) {
  const RoutePlot& p = model.route_plot;
  check(p.points() == model.plot_limit + 1, "route plot size");
  const int64_t axis_bytes = offset_in_axis(p, p.points());
  check(static_cast<int64_t>(file.size()) == 2 * axis_bytes, "plot file size does not follow from its runs");

  // The runs follow one another from metre 2 and stay inside the plot.
  int64_t expect_first = 2;
  for (const PlotRun& r : p.runs()) {
    check(r.first == expect_first && r.end > r.first && r.end <= p.points(), "plot runs leave their table");
    expect_first = r.end;
  }
  check(p.runs().empty() || p.runs().back().end == p.next(), "plot runs end before the plot index");

  // A second encoding through a buffer of another size gives the same bytes.
  RoutePlotSource second(p, 4090);
  size_t at = 0;
  for (std::string_view piece = second.next(); !piece.empty(); piece = second.next()) {
    check(file.substr(at, piece.size()) == piece, "plot bytes differ between two encodings");
    at += piece.size();
  }
  check(at == file.size(), "plot bytes differ in length between two encodings");

  // Both ends of the origin, of every run and of the empty tail read back to the model.
  auto read_back = [&](int64_t metre) {
    if (metre < 0 || metre >= p.points()) return;
    for (int axis = 0; axis < 2; ++axis) {
      const PlotValue v = value_at(file, axis * axis_bytes + offset_in_axis(p, metre));
      check(same(v, model.plot(metre, axis)), "plot value does not read back");
    }
  };
  read_back(0);
  read_back(1);
  for (const PlotRun& r : p.runs()) {
    read_back(r.first);
    read_back(r.end - 1);
  }
  read_back(p.next());
  read_back(p.points() - 1);
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
  check(model.plot_created, "no route plot although it was wanted");
  check(model.next_sign_slot >= 0 && model.next_sign_slot <= 80, "next_sign_slot left its range");
  if (!out.errore.empty()) {
    check(io.sink.files.empty(), "files written after errore");
    return 0;
  }
  check(io.sink.files.size() == 3, "three compiled files");
  check(decode_sections(io.sink.files.at("L_1.dat")) == model.sections, "sections do not read back");
  check(decode_slots(io.sink.files.at("L_1.sim")) == model.slots, "slots do not read back");
  check_plot(model, io.sink.files.at("L_linea.dat"));
  return 0;
}
