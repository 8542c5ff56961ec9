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

// The bytes of one value as a file holds it: its tag, then the payload the tag calls for.
uint64_t value_bytes(const PlotValue& v) {
  return std::holds_alternative<double>(v) ? 10 : std::holds_alternative<int16_t>(v) ? 4 : 2;
}

// The bytes of a compiled plot's x axis up to a metre: 4 for each origin point (tag and
// integer), 10 for each computed one, 2 for each empty one. The y axis is laid out alike.
uint64_t compiled_axis_bytes(const RoutePlot& plot, int64_t metre) {
  const int64_t origin = std::min<int64_t>(plot.origin_points(), metre);
  const int64_t computed = std::max<int64_t>(0, std::min<int64_t>(plot.next(), metre) - plot.origin_points());
  const int64_t empty = metre - origin - computed;
  return static_cast<uint64_t>(4 * origin + 10 * computed + 2 * empty);
}

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

// Where the points of a run go: each x value to x, each y value to y.
struct PutPoints {
  char* x;
  char* y;
  [[gnu::always_inline]] void operator()(double px, double py) {
    x = put_double(x, px);
    y = put_double(y, py);
  }
};

// Computes n metres of a run into the two buffers; the state after them. The outputs are
// a local, so that the state stays in registers.
PlotState put_run(const PlotRun& run, PlotState s, int32_t n, char*& x_out, char*& y_out) {
  PutPoints out{x_out, y_out};
  s = step_run(run, s, n, out);
  x_out = out.x;
  y_out = out.y;
  return s;
}

}  // namespace

RoutePlotSource::RoutePlotSource(const RoutePlot& plot, size_t buffer_bytes) : plot_(plot) {
  if (plot.from_file()) {
    y_start_ = 0;
    for (int32_t m = 0; m < plot.points(); ++m) y_start_ += value_bytes(plot.at(m, 0));
    size_ = y_start_;
    for (int32_t m = 0; m < plot.points(); ++m) size_ += value_bytes(plot.at(m, 1));
  } else {
    y_start_ = compiled_axis_bytes(plot, plot.points());
    size_ = 2 * y_start_;
  }
  // No bigger than an axis: the plot of a short line needs no 128 KB of buffers.
  buffer_bytes_ = std::max(static_cast<size_t>(std::min<uint64_t>(buffer_bytes, y_start_)), kLargestValue);
  buffer_.reset(new char[2 * buffer_bytes_]);
}

BytePiece RoutePlotSource::next() { return plot_.from_file() ? next_stored() : next_computed(); }

// The next stretch of metres: as many as the buffers hold, the x values in the first, the
// y values in the second. Both axes of a metre hold values of one kind, so the two pieces
// have the same length and stand at the same place within their axis.
BytePiece RoutePlotSource::next_computed() {
  if (!y_piece_.bytes.empty()) return std::exchange(y_piece_, BytePiece{});
  char* const x_begin = buffer_.get();
  char* const y_begin = x_begin + buffer_bytes_;
  char* x = x_begin;
  char* y = y_begin;
  const auto room = [&](size_t value) { return static_cast<int32_t>((buffer_bytes_ - static_cast<size_t>(x - x_begin)) / value); };
  const std::vector<PlotRun>& runs = plot_.runs();
  while (metre_ < plot_.points() && room(kLargestValue) > 0) {
    if (metre_ < plot_.origin_points()) {
      x = put_u16(put_u16(x, format::kTagInt16), 0);
      y = put_u16(put_u16(y, format::kTagInt16), static_cast<uint16_t>(metre_));
      ++metre_;
    } else if (run_ < runs.size()) {
      const PlotRun& r = runs[run_];
      const int32_t n = std::min(room(kLargestValue), r.end - metre_);
      state_ = put_run(r, state_, n, x, y);
      metre_ += n;
      if (metre_ == r.end) ++run_;
    } else {
      // The metres no run reached stay empty.
      const int32_t n = std::min(room(2), plot_.points() - metre_);
      for (int32_t k = 0; k < n; ++k) {
        x = put_u16(x, format::kTagEmpty);
        y = put_u16(y, format::kTagEmpty);
      }
      metre_ += n;
    }
  }
  const size_t length = static_cast<size_t>(x - x_begin);
  const BytePiece x_piece{at_, std::string_view(x_begin, length)};
  y_piece_ = BytePiece{y_start_ + at_, std::string_view(y_begin, length)};
  at_ += length;
  return x_piece;
}

// A plot read back from a file: its stored values in file order, x then y.
BytePiece RoutePlotSource::next_stored() {
  char* const begin = buffer_.get();
  char* out = begin;
  const uint64_t first = at_;
  while (axis_ < 2 && static_cast<size_t>(out - begin) + kLargestValue <= buffer_bytes_) {
    if (metre_ >= plot_.points()) {
      ++axis_;
      metre_ = 0;
      continue;
    }
    out = put_value(out, plot_.at(metre_, axis_));
    ++metre_;
  }
  at_ += static_cast<uint64_t>(out - begin);
  return BytePiece{first, std::string_view(begin, static_cast<size_t>(out - begin))};
}

std::string encode_route_plot(const RoutePlot& plot) {
  RoutePlotSource source(plot);
  return join_pieces(source);
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
