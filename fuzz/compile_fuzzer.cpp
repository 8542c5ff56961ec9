// Arbitrary bytes as a line description and a train description (split at the
// first "\n@@@@\n"), through the whole compile, the abbattimento pass and the
// encoders; every index must stay in its table and the written bytes must read back
// to the same model. The checks cost what the input touched: the route plot is
// checked through its runs as it streams out, never value by value.
#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/track_model.h"
#include "output/compiled_files.h"
#include "output/compiled_format.h"
#include "output/memorizza_percorso.h"
#include "sources/bit_copy.h"
#include "testing/memory_scenario_io.h"

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

// A value read from its bytes without the library's decoder.
PlotValue value_of(std::string_view bytes) {
  auto le = [&](size_t at, size_t n) {
    check(at + n <= bytes.size(), "plot file ends inside a value");
    uint64_t v = 0;
    for (size_t k = 0; k < n; ++k) v |= uint64_t{static_cast<uint8_t>(bytes[at + k])} << (8 * k);
    return v;
  };
  const uint64_t tag = le(0, 2);
  if (tag == format::kTagInt16) return static_cast<int16_t>(le(2, 2));
  if (tag == format::kTagDouble) return bit_copy<double>(le(2, 8));
  check(tag == format::kTagEmpty, "unknown plot tag written");
  return std::monostate{};
}

bool same(const PlotValue& a, const PlotValue& b) {
  if (a.index() != b.index()) return false;
  if (const auto* d = std::get_if<double>(&a))
    return bit_copy<uint64_t>(*d) == bit_copy<uint64_t>(std::get<double>(b));
  return a == b;
}

// One value the plot file must hold, at its offset.
struct Probe {
  int64_t offset;
  PlotValue expected;
  std::string bytes;  // as written, up to 10
};

// The values a compiled plot is known to hold without repeating any run: the origin,
// both ends of every run (the end of one is in the state before the next, the end of
// the last in the plot's last points) and the empty tail.
std::vector<Probe> probes_of(const RoutePlot& p) {
  std::vector<std::pair<int64_t, std::pair<double, double>>> known;  // computed metres
  const auto& runs = p.runs();
  for (size_t k = 0; k < runs.size(); ++k) {
    const PlotState& end = k + 1 < runs.size() ? runs[k + 1].before : p.last_points();
    known.push_back({runs[k].end - 1, {end.x1, end.y1}});
    if (runs[k].end - 2 >= runs[k].first) known.push_back({runs[k].end - 2, {end.x2, end.y2}});
  }
  const int64_t axis_bytes = offset_in_axis(p, p.points());
  std::vector<Probe> out;
  auto add = [&](int64_t metre, const PlotValue& x, const PlotValue& y) {
    if (metre < 0 || metre >= p.points()) return;
    out.push_back({offset_in_axis(p, metre), x, {}});
    out.push_back({axis_bytes + offset_in_axis(p, metre), y, {}});
  };
  for (int64_t m = 0; m < p.origin_points(); ++m) add(m, int16_t{0}, int16_t(m));
  for (const auto& [m, xy] : known) add(m, xy.first, xy.second);
  if (p.origin_points() == 2) {
    add(p.next(), std::monostate{}, std::monostate{});
    if (p.next() < p.points()) add(p.points() - 1, std::monostate{}, std::monostate{});
  }
  std::sort(out.begin(), out.end(), [](const Probe& a, const Probe& b) { return a.offset < b.offset; });
  return out;
}

// Checks the route plot file as it streams, without keeping it: its size follows from
// the runs, a second encoding through a buffer of another size gives the same bytes,
// and the probed values read back to the model.
void check_plot_stream(const TrackModel& model, ByteSource& written) {
  const RoutePlot& p = model.route_plot;
  check(p.points() == model.plot_limit + 1, "route plot size");
  int64_t expect_first = 2;
  for (const PlotRun& r : p.runs()) {
    check(r.first == expect_first && r.end > r.first && r.end <= p.points(), "plot runs leave their table");
    expect_first = r.end;
  }
  check(p.runs().empty() || p.runs().back().end == p.next(), "plot runs end before the plot index");

  std::vector<Probe> probes = probes_of(p);
  RoutePlotSource second(p, 4090);
  std::string_view other;
  int64_t at = 0;
  size_t first_open = 0;  // probes before it have all their bytes
  for (std::string_view piece = written.next(); !piece.empty(); piece = written.next()) {
    for (size_t k = first_open; k < probes.size() && probes[k].offset < at + static_cast<int64_t>(piece.size()); ++k) {
      Probe& probe = probes[k];
      const int64_t from = std::max(probe.offset + static_cast<int64_t>(probe.bytes.size()), at);
      const int64_t to = std::min(probe.offset + 10, at + static_cast<int64_t>(piece.size()));
      if (to > from) probe.bytes.append(piece.substr(static_cast<size_t>(from - at), static_cast<size_t>(to - from)));
      if (probe.offset + 10 <= at + static_cast<int64_t>(piece.size()) && k == first_open) ++first_open;
    }
    at += static_cast<int64_t>(piece.size());
    while (!piece.empty()) {
      if (other.empty()) other = second.next();
      check(!other.empty(), "plot bytes differ in length between two encodings");
      const size_t n = std::min(piece.size(), other.size());
      check(std::memcmp(piece.data(), other.data(), n) == 0, "plot bytes differ between two encodings");
      piece.remove_prefix(n);
      other.remove_prefix(n);
    }
  }
  check(other.empty() && second.next().empty(), "plot bytes differ in length between two encodings");
  check(at == 2 * offset_in_axis(p, p.points()), "plot file size does not follow from its runs");
  for (const Probe& probe : probes) check(same(value_of(probe.bytes), probe.expected), "plot value does not read back");
}

// The finishing step's world in memory; the route plot is checked as it goes out.
class FuzzIo : public testing::MemoryScenarioIo {
 public:
  explicit FuzzIo(const TrackModel& model) : model_(model) {}
  void replace_file_from(const std::string& name, ByteSource& source) override {
    check(name == "L_linea.dat", "only the route plot is streamed");
    check_plot_stream(model_, source);
    sink.files[name];
    sink.order.push_back(name);
    plot_checked = true;
  }
  bool plot_checked = false;

 private:
  const TrackModel& model_;
};

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
  FuzzIo io(model);
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
  check(io.sink.files.size() == 3 && io.plot_checked, "three compiled files");
  check(decode_sections(io.sink.files.at("L_1.dat")) == model.sections, "sections do not read back");
  check(decode_slots(io.sink.files.at("L_1.sim")) == model.slots, "slots do not read back");
  return 0;
}
