#include "output/compiled_files.h"

#include <algorithm>
#include <cstring>
#include <type_traits>
#include <utility>

#include "output/compiled_format.h"
#include "sources/bit_copy.h"
#include "sources/little_endian.h"

namespace compactor {

namespace {

template <typename T>
char* put_field(char* out, T v) {
  return put_le(out, v);
}

template <typename T>
T get_field(const char* in) {
  return get_le<T>(in);
}

// A record's fields from the list, written at out; returns the end.
template <typename Fields, typename Record>
char* put_fields(char* out, const Fields& fields, const Record& r) {
  format::for_each_field(fields, [&](const auto& f) { out = put_field(out, r.*f.member); });
  return out;
}

template <typename Fields, typename Record>
void append_fields(std::string& out, const Fields& fields, const Record& r) {
  char buf[format::bytes_of(Fields{})];
  out.append(buf, static_cast<size_t>(put_fields(buf, fields, r) - buf));
}

}  // namespace

std::string encode_sections(const std::vector<TrackCell>& sections) {
  std::string out(sections.size() * format::kCellBytes, '\0');
  char* p = out.data();
  for (const auto& c : sections) p = put_fields(p, format::kCellFields, c);
  return out;
}

std::string encode_slots(const std::array<SlotRecord, kSlotCount>& slots) {
  std::string out;
  for (size_t i = 0; i < slots.size(); ++i) {
    const auto& s = slots[i];
    if (s.text.size() > 0xFFFF)
      throw std::length_error("the text of slot " + std::to_string(i) + " is longer than 65535 bytes");
    append_fields(out, format::kSlotFieldsBeforeText, s);
    char length[2];
    put_field(length, static_cast<uint16_t>(s.text.size()));
    out.append(length, 2);
    out += s.text;
    append_fields(out, format::kSlotFieldsAfterText, s);
  }
  return out;
}

namespace {

constexpr size_t kLargestValue = 10;  // tag and a double

// The bytes of a compiled plot's file: per axis, 4 for each origin point (tag and
// integer), 10 for each computed one, 2 for each empty one.
uint64_t compiled_plot_bytes(const RoutePlot& plot) {
  const uint64_t origin = static_cast<uint64_t>(plot.origin_points());
  const uint64_t computed = plot.origin_points() == 2 ? static_cast<uint64_t>(plot.next()) - origin : 0;
  const uint64_t empty = static_cast<uint64_t>(plot.points()) - origin - computed;
  return 2 * (4 * origin + kLargestValue * computed + 2 * empty);
}

// No bigger than the file: the plot of a short line needs no quarter-megabyte buffer.
size_t buffer_for(const RoutePlot& plot, size_t wanted) {
  if (!plot.from_file()) wanted = static_cast<size_t>(std::min<uint64_t>(wanted, compiled_plot_bytes(plot)));
  return std::max(wanted, kLargestValue);
}

}  // namespace

RoutePlotSource::RoutePlotSource(const RoutePlot& plot, size_t buffer_bytes)
    : plot_(plot), buffer_bytes_(buffer_for(plot, buffer_bytes)), buffer_(new char[buffer_bytes_]) {}

namespace {

// The values of the route plot go out as whole words: the plot of a long line is two
// million of them.
char* put_u16(char* out, uint16_t v) { return put_le(out, v); }

char* put_double(char* out, double d) {
  out = put_le(out, format::kTagDouble);
  return put_le(out, bit_copy<uint64_t>(d));
}

char* put_value(char* out, const PlotValue& v) {
  if (const auto* d = std::get_if<double>(&v)) return put_double(out, *d);
  if (const auto* i = std::get_if<int16_t>(&v)) {
    out = put_u16(out, format::kTagInt16);
    return put_u16(out, static_cast<uint16_t>(*i));
  }
  return put_u16(out, format::kTagEmpty);
}

// The values of a stretch of one run on one axis, to be written at out.
struct PlotJob {
  PlotState state;  // the two points before the stretch; after it once run
  double curvature;
  int32_t n;
  char* out;
};

// One job being stepped: its state, where its next value goes and how many are left.
struct Lane {
  PlotState s;
  double c;
  char* out;
  int32_t left;
  PlotJob* job;
};

// Steps L lanes m metres each, with the recurrence of PlotState. The lanes are copied
// into locals spelled out with constant indices, so that their state lives in
// registers: the bytes written through out could otherwise alias it, and every step
// would go through memory.
template <bool kCurved, int kAxis, int L>
void step_lanes(Lane* lanes, int32_t m) {
  PlotState s[L];
  double c[L];
  char* out[L];
  const auto each = [](auto f) {
    [&]<int... I>(std::integer_sequence<int, I...>) { (f(std::integral_constant<int, I>{}), ...); }(
        std::make_integer_sequence<int, L>{});
  };
  each([&](auto l) {
    s[l] = lanes[l].s;
    c[l] = lanes[l].c;
    out[l] = lanes[l].out;
  });
  for (int32_t k = 0; k < m; ++k) {
    each([&](auto l) {
      if constexpr (kCurved)
        s[l].step_curved(c[l]);
      else
        s[l].template step_straight_axis<kAxis>();
      out[l] = put_double(out[l], kAxis == 0 ? s[l].x1 : s[l].y1);
    });
  }
  each([&](auto l) { lanes[l] = Lane{s[l], c[l], out[l], lanes[l].left - m, lanes[l].job}; });
}

// Each run's values follow from its own starting points, so the runs of a buffer are
// independent of one another: they are stepped side by side, kLanes at a time, and the
// processor overlaps the steps that a single run would make it wait for; the last few
// go on alone. Each lane repeats its run's recurrence exactly as the compiler did, so
// every value has the same bits. A straight run moves its axes independently, so only
// the axis written is stepped; a curved one needs both.
template <bool kCurved, int kAxis>
void run_jobs(PlotJob* const* jobs, size_t count) {
  constexpr int kLanes = 4;
  Lane lanes[kLanes];
  int held = 0;
  size_t next = 0;
  for (;;) {
    for (; held < kLanes && next < count; ++next) {
      PlotJob* j = jobs[next];
      lanes[held++] = Lane{j->state, j->curvature, j->out, j->n, j};
    }
    if (held == 0) return;
    if (held == kLanes) {
      int32_t m = lanes[0].left;
      for (const Lane& l : lanes) m = std::min(m, l.left);
      step_lanes<kCurved, kAxis, kLanes>(lanes, m);
    } else {
      step_lanes<kCurved, kAxis, 1>(lanes, lanes[0].left);
    }
    for (int l = 0; l < held;) {
      if (lanes[l].left > 0) {
        ++l;
        continue;
      }
      lanes[l].job->state = lanes[l].s;
      lanes[l] = lanes[--held];
    }
  }
}

}  // namespace

// Fills the buffer from out up to limit with whole values, in file order.
char* RoutePlotSource::put_values(char* out, char* const limit) {
  const int32_t points = plot_.points();
  const auto room = [&] { return static_cast<int32_t>(static_cast<size_t>(limit - out) / kLargestValue); };
  while (axis_ < 2 && room() > 0) {
    if (metre_ >= points) {
      ++axis_;
      metre_ = 0;
      run_ = 0;
      continue;
    }
    if (plot_.from_file()) {
      const int32_t n = std::min(room(), points - metre_);
      const size_t first = static_cast<size_t>(axis_) * static_cast<size_t>(points) + static_cast<size_t>(metre_);
      for (int32_t k = 0; k < n; ++k) out = put_value(out, plot_.stored(first + static_cast<size_t>(k)));
      metre_ += n;
    } else if (metre_ < plot_.origin_points()) {
      out = put_u16(out, format::kTagInt16);
      out = put_u16(out, static_cast<uint16_t>(axis_ == 1 ? metre_ : 0));
      ++metre_;
    } else if (run_ < plot_.runs().size()) {
      // The runs, or parts of runs, that fit in the buffer become jobs; the last one may
      // stop inside its run, which the next buffer goes on with from its state.
      constexpr size_t kMostJobs = 64;
      PlotJob jobs[kMostJobs];
      PlotJob* straight[kMostJobs];
      PlotJob* curved[kMostJobs];
      size_t count = 0, straight_count = 0, curved_count = 0;
      while (run_ < plot_.runs().size() && room() > 0 && count < kMostJobs) {
        const PlotRun& r = plot_.runs()[run_];
        if (metre_ == r.first) state_ = r.before;
        const int32_t n = std::min(room(), r.end - metre_);
        PlotJob& job = jobs[count++];
        job = PlotJob{state_, r.curvature, n, out};
        (r.curved ? curved[curved_count++] : straight[straight_count++]) = &job;
        out += static_cast<size_t>(n) * kLargestValue;
        metre_ += n;
        if (metre_ == r.end) ++run_;
      }
      if (axis_ == 0) {
        run_jobs<false, 0>(straight, straight_count);
        run_jobs<true, 0>(curved, curved_count);
      } else {
        run_jobs<false, 1>(straight, straight_count);
        run_jobs<true, 1>(curved, curved_count);
      }
      state_ = jobs[count - 1].state;
    } else {
      // The metres no run reached stay empty.
      const int32_t n = std::min(room(), points - metre_);
      for (int32_t k = 0; k < n; ++k) out = put_u16(out, format::kTagEmpty);
      metre_ += n;
    }
  }
  return out;
}

std::string_view RoutePlotSource::next() {
  char* const begin = buffer_.get();
  char* const end = put_values(begin, begin + buffer_bytes_);
  return std::string_view(begin, static_cast<size_t>(end - begin));
}

std::string encode_route_plot(const RoutePlot& plot) {
  RoutePlotSource source(plot);
  std::string out;
  for (std::string_view piece = source.next(); !piece.empty(); piece = source.next()) out += piece;
  return out;
}

namespace {

class Cursor {
 public:
  explicit Cursor(std::string_view b) : b_(b) {}
  size_t offset() const { return pos_; }
  bool done() const { return pos_ >= b_.size(); }
  void need(size_t n, const char* what) const {
    if (b_.size() - pos_ < n) throw FormatError(std::string("file ends inside ") + what, pos_);
  }
  template <typename T>
  T get(const char* what) {
    need(sizeof(T), what);
    const T v = get_field<T>(b_.data() + pos_);
    pos_ += sizeof(T);
    return v;
  }
  std::string bytes(size_t n, const char* what) {
    need(n, what);
    std::string s(b_.substr(pos_, n));
    pos_ += n;
    return s;
  }

 private:
  std::string_view b_;
  size_t pos_ = 0;
};

}  // namespace

std::vector<TrackCell> decode_sections(std::string_view bytes) {
  if (bytes.size() % format::kCellBytes != 0)
    throw FormatError("section array size " + std::to_string(bytes.size()) + " is not a multiple of 15",
                      bytes.size() - bytes.size() % format::kCellBytes);
  std::vector<TrackCell> out(bytes.size() / format::kCellBytes);
  const char* p = bytes.data();
  for (TrackCell& t : out) {
    format::for_each_field(format::kCellFields, [&](const auto& f) {
      using T = std::remove_reference_t<decltype(t.*f.member)>;
      t.*f.member = get_field<T>(p);
      p += sizeof(T);
    });
  }
  return out;
}

std::array<SlotRecord, kSlotCount> decode_slots(std::string_view bytes) {
  std::array<SlotRecord, kSlotCount> out{};
  Cursor c(bytes);
  auto read = [&](SlotRecord& s) {
    return [&](const auto& f) { s.*f.member = c.get<std::remove_reference_t<decltype(s.*f.member)>>("a slot"); };
  };
  for (auto& s : out) {
    format::for_each_field(format::kSlotFieldsBeforeText, read(s));
    const size_t at = c.offset();
    const uint16_t n = c.get<uint16_t>("a slot");
    if (bytes.size() - c.offset() < n)
      throw FormatError("text length " + std::to_string(n) + " runs past the end of the file", at);
    s.text = c.bytes(n, "a slot text");
    format::for_each_field(format::kSlotFieldsAfterText, read(s));
  }
  if (!c.done()) throw FormatError("bytes after the 87th slot", c.offset());
  return out;
}

namespace {

// Every value of a route plot file, in file order, to take(index, value); the count.
template <typename Take>
size_t each_plot_value(std::string_view bytes, Take take) {
  Cursor c(bytes);
  size_t count = 0;
  while (!c.done()) {
    const size_t at = c.offset();
    const uint16_t tag = c.get<uint16_t>("a plot value");
    if (tag == format::kTagEmpty)
      take(count, PlotValue{std::monostate{}});
    else if (tag == format::kTagInt16)
      take(count, PlotValue{c.get<int16_t>("a plot value")});
    else if (tag == format::kTagDouble)
      take(count, PlotValue{bit_copy<double>(c.get<uint64_t>("a plot value"))});
    else
      throw FormatError("unknown plot value tag " + std::to_string(tag), at);
    ++count;
  }
  if (count % 2 != 0) throw FormatError("odd number of plot values", bytes.size());
  return count;
}

}  // namespace

std::vector<PlotValue> decode_route_plot(std::string_view bytes) {
  std::vector<PlotValue> out;
  each_plot_value(bytes, [&](size_t, PlotValue v) { out.push_back(v); });
  return out;
}

RoutePlot decode_route_plot_model(std::string_view bytes) {
  // Counted first, so that the values are stored once, in their compact form.
  RoutePlot plot = RoutePlot::for_values(each_plot_value(bytes, [](size_t, const PlotValue&) {}));
  each_plot_value(bytes, [&](size_t i, PlotValue v) { plot.store(i, v); });
  return plot;
}

}  // namespace compactor
