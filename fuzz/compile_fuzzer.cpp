// Arbitrary bytes as a line description and a train description (split at the
// first "\n@@@@\n"), through the whole compile, the abbattimento pass and the
// encoders; every index must stay in its table and the written bytes must read back
// to the same model. The route plot is checked as it streams out, its values computed
// there once: the check steps from written values, never walks the plot again.
#include <algorithm>
#include <bit>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <limits>
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

// The metre whose value starts at an offset within one axis (the number of metres when
// the offset is the axis's end); -1 when no value starts there.
int64_t metre_at(const RoutePlot& p, int64_t offset) {
  const int64_t origin = p.origin_points();
  const int64_t computed_end = origin == 2 ? p.next() : origin;
  int64_t m;
  if (offset <= 4 * origin)
    m = offset / 4;
  else if (offset <= 4 * origin + 10 * (computed_end - origin))
    m = origin + (offset - 4 * origin) / 10;
  else
    m = computed_end + (offset - 4 * origin - 10 * (computed_end - origin)) / 2;
  return m <= p.points() && offset_in_axis(p, m) == offset ? m : -1;
}

// A little-endian word of the file, read without the library's decoder.
template <typename Word>
Word word_at(const char* at) {
  static_assert(std::endian::native == std::endian::little, "the fuzz target reads words as they lie");
  Word v;
  std::memcpy(&v, at, sizeof v);
  return v;
}

// One stretch of metres as it streamed out: its x piece and its y piece, and the two
// points before it (from the stretch before).
struct Stretch {
  const RoutePlot& p;
  int64_t first = 0;  // metres first to end - 1
  int64_t end = 0;
  std::string_view axes[2] = {};
  double before[2][2] = {{0.0, 0.0}, {0.0, 1.0}};  // [axis][metre first - 2, first - 1]

  int64_t base = 0;  // where metre first's value stands within its axis

  // A metre's value on one axis (first - 2 to end - 1), read without the library's decoder;
  // it must carry the tag its metre calls for. An empty one reads as NaN.
  double value(int64_t m, int axis) const {
    if (m < first) return before[axis][m - (first - 2)];
    const size_t at = static_cast<size_t>(offset_in_axis(p, m) - base);
    const std::string_view piece = axes[axis];
    const size_t size = m < p.origin_points() ? 4 : m < p.next() ? 10 : 2;
    check(at + size <= piece.size(), "plot piece ends inside a value");
    const uint16_t tag = word_at<uint16_t>(piece.data() + at);
    if (m < p.origin_points()) {
      check(tag == format::kTagInt16 && word_at<uint16_t>(piece.data() + at + 2) == (axis == 1 ? m : 0),
            "origin point moved");
      return static_cast<double>(axis == 1 ? m : 0);
    }
    if (m < p.next()) {
      check(tag == format::kTagDouble, "computed point not a double");
      return word_at<double>(piece.data() + at + 2);
    }
    check(tag == format::kTagEmpty, "point beyond the plot index not empty");
    return std::numeric_limits<double>::quiet_NaN();
  }

  // A computed metre follows from the two written before it by its run's recurrence.
  void check_step(const PlotRun& r, int64_t c) const {
    PlotState s{value(c - 2, 0), value(c - 2, 1), value(c - 1, 0), value(c - 1, 1)};
    if (r.curved)
      s.step_curved(r.curvature);
    else
      s.step_straight();
    check(bit_copy<uint64_t>(s.x1) == bit_copy<uint64_t>(value(c, 0)) &&
              bit_copy<uint64_t>(s.y1) == bit_copy<uint64_t>(value(c, 1)),
          "plot value does not follow from the two before it");
  }
};

// Checks the route plot file as it streams, without keeping it and without walking the
// plot a second time: the pieces of each stretch of metres stand at the places their
// metres call for and fill the file, and the values read back: the origin, the empty tail,
// and each computed point at both ends of every run and every 64th metre between, where it
// must follow from the two written before it (one step each, never a walk).
void check_plot_stream(const TrackModel& model, ByteSource& written) {
  const RoutePlot& p = model.route_plot;
  check(p.points() == model.plot_limit + 1, "route plot size");
  int64_t expect_first = 2;
  for (const PlotRun& r : p.runs()) {
    check(r.first == expect_first && r.end > r.first && r.end <= p.points(), "plot runs leave their table");
    expect_first = r.end;
  }
  check(p.runs().empty() || p.runs().back().end == p.next(), "plot runs end before the plot index");
  const int64_t axis_bytes = offset_in_axis(p, p.points());
  check(written.size() == 2 * static_cast<uint64_t>(axis_bytes), "plot file size does not follow from its runs");

  constexpr int64_t kEvery = 64;
  Stretch st{p};
  uint64_t bytes = 0;
  for (BytePiece x = written.next(); !x.bytes.empty(); x = written.next()) {
    const BytePiece y = written.next();
    st.first = st.end;
    st.base = offset_in_axis(p, st.first);
    check(static_cast<int64_t>(x.offset) == st.base, "x piece out of place");
    check(y.offset == x.offset + static_cast<uint64_t>(axis_bytes) && y.bytes.size() == x.bytes.size(),
          "y piece does not stand beside its x piece");
    st.end = metre_at(p, static_cast<int64_t>(x.offset + x.bytes.size()));
    check(st.end > st.first, "plot piece does not end with a value");
    st.axes[0] = x.bytes;
    st.axes[1] = y.bytes;
    for (int64_t m = st.first; m < std::min<int64_t>(st.end, p.origin_points()); ++m) st.value(m, 0), st.value(m, 1);
    for (const int64_t m : {int64_t{p.next()}, int64_t{p.points()} - 1})
      if (m >= st.first && m < st.end) st.value(m, 0), st.value(m, 1);
    const int64_t lo = std::max<int64_t>(st.first, 2), hi = std::min<int64_t>(st.end, p.next());
    const auto runs_from = std::upper_bound(p.runs().begin(), p.runs().end(), lo,
                                            [](int64_t m, const PlotRun& r) { return m < r.first; });
    for (auto it = runs_from == p.runs().begin() ? runs_from : runs_from - 1; it != p.runs().end() && it->first < hi; ++it) {
      const int64_t from = std::max<int64_t>(lo, it->first), to = std::min<int64_t>(hi, it->end);
      for (const int64_t c : {int64_t{it->first}, int64_t{it->first} + 1, int64_t{it->end} - 1})
        if (c >= from && c < to) st.check_step(*it, c);
      for (int64_t c = it->first + (from - it->first + kEvery - 1) / kEvery * kEvery; c < to; c += kEvery)
        st.check_step(*it, c);
    }
    const double carried[2][2] = {{st.value(st.end - 2, 0), st.value(st.end - 1, 0)},
                                  {st.value(st.end - 2, 1), st.value(st.end - 1, 1)}};
    std::memcpy(st.before, carried, sizeof carried);
    bytes += 2 * x.bytes.size();
  }
  check(st.end == p.points() && bytes == written.size(), "plot pieces do not fill the file");
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
