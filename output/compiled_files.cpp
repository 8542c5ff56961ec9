#include "output/compiled_files.h"

#include <algorithm>
#include <bit>
#include <cstring>

#include "output/compiled_format.h"

namespace compactor {

namespace {

// The low `bytes` bytes of v, least significant first, at out; returns the end.
char* store_le(char* out, uint64_t v, int bytes) {
  for (int k = 0; k < bytes; ++k) *out++ = static_cast<char>((v >> (8 * k)) & 0xFF);
  return out;
}

void append_le(std::string& out, uint64_t v, int bytes) {
  char buf[8];
  out.append(buf, static_cast<size_t>(store_le(buf, v, bytes) - buf));
}

void put_u8(std::string& out, uint8_t v) { append_le(out, v, 1); }
void put_u16(std::string& out, uint16_t v) { append_le(out, v, 2); }
void put_i16(std::string& out, int16_t v) { append_le(out, static_cast<uint16_t>(v), 2); }
void put_i32(std::string& out, int32_t v) { append_le(out, static_cast<uint32_t>(v), 4); }

}  // namespace

std::string encode_sections(const std::vector<TrackCell>& sections) {
  std::string out;
  out.reserve(sections.size() * format::kCellBytes);
  for (const auto& c : sections) {
    put_u8(out, c.kind);
    put_i16(out, c.data1);
    put_i16(out, c.data2);
    put_i16(out, c.data3);
    put_i16(out, c.data4);
    put_u8(out, c.signal_time);
    put_u8(out, c.approach_mark);
    put_u8(out, c.mountain_type);
    put_u8(out, c.speed_code);
    put_u8(out, c.gradient_code);
    put_u8(out, c.adhesion);
  }
  return out;
}

std::string encode_slots(const std::array<SlotRecord, kSlotCount>& slots) {
  std::string out;
  for (size_t i = 0; i < slots.size(); ++i) {
    const auto& s = slots[i];
    if (s.text.size() > 0xFFFF)
      throw std::length_error("the text of slot " + std::to_string(i) + " is longer than 65535 bytes");
    put_u8(out, s.kind);
    put_i32(out, s.value1);
    put_i32(out, s.value2);
    put_i32(out, s.value3);
    put_u8(out, s.mode);
    put_u16(out, static_cast<uint16_t>(s.text.size()));
    out += s.text;
    put_i16(out, s.short1);
    put_i16(out, s.short2);
    put_i16(out, s.short3);
    put_i16(out, s.short4);
    put_i16(out, s.short5);
    put_u8(out, s.byte1);
    put_u8(out, s.byte2);
    put_u8(out, s.byte3);
    put_u8(out, s.byte4);
    put_i32(out, s.value4);
  }
  return out;
}

RoutePlotSource::RoutePlotSource(const RoutePlot& plot, size_t buffer_bytes)
    : plot_(plot), buffer_(std::max<size_t>(buffer_bytes, 10)) {}

namespace {

constexpr size_t kLargestValue = 10;  // tag and a double

char* put_double(char* out, double v) {
  out = store_le(out, format::kTagDouble, 2);
  return store_le(out, std::bit_cast<uint64_t>(v), 8);
}

char* put_value(char* out, const PlotValue& v) {
  if (const auto* d = std::get_if<double>(&v)) return put_double(out, *d);
  if (const auto* i = std::get_if<int16_t>(&v)) {
    out = store_le(out, format::kTagInt16, 2);
    return store_le(out, static_cast<uint16_t>(*i), 2);
  }
  return store_le(out, format::kTagEmpty, 2);
}

// n metres of one run on one axis; the state moves on with them.
template <bool kCurved, int kAxis>
char* put_run(char* out, PlotState& s, double curvature, int32_t n) {
  for (int32_t k = 0; k < n; ++k) {
    if constexpr (kCurved)
      s.step_curved(curvature);
    else
      s.step_straight();
    out = put_double(out, kAxis == 0 ? s.x1 : s.y1);
  }
  return out;
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
      const PlotValue* v = plot_.stored().data() + static_cast<size_t>(axis_) * static_cast<size_t>(points);
      for (int32_t k = 0; k < n; ++k) out = put_value(out, v[metre_ + k]);
      metre_ += n;
    } else if (metre_ < plot_.origin_points()) {
      out = store_le(out, format::kTagInt16, 2);
      out = store_le(out, static_cast<uint16_t>(axis_ == 1 ? metre_ : 0), 2);
      ++metre_;
    } else if (run_ < plot_.runs().size()) {
      const PlotRun& r = plot_.runs()[run_];
      if (metre_ == r.first) state_ = r.before;
      const int32_t n = std::min(room(), r.end - metre_);
      if (r.curved)
        out = axis_ == 0 ? put_run<true, 0>(out, state_, r.curvature, n) : put_run<true, 1>(out, state_, r.curvature, n);
      else
        out = axis_ == 0 ? put_run<false, 0>(out, state_, 0.0, n) : put_run<false, 1>(out, state_, 0.0, n);
      metre_ += n;
      if (metre_ == r.end) ++run_;
    } else {
      // The metres no run reached stay empty.
      const int32_t n = std::min(room(), points - metre_);
      for (int32_t k = 0; k < n; ++k) out = store_le(out, format::kTagEmpty, 2);
      metre_ += n;
    }
  }
  return out;
}

std::string_view RoutePlotSource::next() {
  char* const begin = buffer_.data();
  char* const end = put_values(begin, begin + buffer_.size());
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
  uint64_t le(size_t n, const char* what) {
    need(n, what);
    uint64_t v = 0;
    for (size_t k = 0; k < n; ++k) v |= static_cast<uint64_t>(static_cast<uint8_t>(b_[pos_ + k])) << (8 * k);
    pos_ += n;
    return v;
  }
  uint8_t u8(const char* w) { return static_cast<uint8_t>(le(1, w)); }
  uint16_t u16(const char* w) { return static_cast<uint16_t>(le(2, w)); }
  int16_t i16(const char* w) { return static_cast<int16_t>(static_cast<uint16_t>(le(2, w))); }
  int32_t i32(const char* w) { return static_cast<int32_t>(static_cast<uint32_t>(le(4, w))); }
  double f64(const char* w) { return std::bit_cast<double>(le(8, w)); }
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
  std::vector<TrackCell> out;
  out.reserve(bytes.size() / format::kCellBytes);
  Cursor c(bytes);
  while (!c.done()) {
    TrackCell t;
    t.kind = c.u8("a section");
    t.data1 = c.i16("a section");
    t.data2 = c.i16("a section");
    t.data3 = c.i16("a section");
    t.data4 = c.i16("a section");
    t.signal_time = c.u8("a section");
    t.approach_mark = c.u8("a section");
    t.mountain_type = c.u8("a section");
    t.speed_code = c.u8("a section");
    t.gradient_code = c.u8("a section");
    t.adhesion = c.u8("a section");
    out.push_back(t);
  }
  return out;
}

std::array<SlotRecord, kSlotCount> decode_slots(std::string_view bytes) {
  std::array<SlotRecord, kSlotCount> out{};
  Cursor c(bytes);
  for (auto& s : out) {
    s.kind = c.u8("a slot");
    s.value1 = c.i32("a slot");
    s.value2 = c.i32("a slot");
    s.value3 = c.i32("a slot");
    s.mode = c.u8("a slot");
    const size_t at = c.offset();
    const uint16_t n = c.u16("a slot");
    if (bytes.size() - c.offset() < n)
      throw FormatError("text length " + std::to_string(n) + " runs past the end of the file", at);
    s.text = c.bytes(n, "a slot text");
    s.short1 = c.i16("a slot");
    s.short2 = c.i16("a slot");
    s.short3 = c.i16("a slot");
    s.short4 = c.i16("a slot");
    s.short5 = c.i16("a slot");
    s.byte1 = c.u8("a slot");
    s.byte2 = c.u8("a slot");
    s.byte3 = c.u8("a slot");
    s.byte4 = c.u8("a slot");
    s.value4 = c.i32("a slot");
  }
  if (!c.done()) throw FormatError("bytes after the 87th slot", c.offset());
  return out;
}

std::vector<PlotValue> decode_route_plot(std::string_view bytes) {
  std::vector<PlotValue> out;
  Cursor c(bytes);
  while (!c.done()) {
    const size_t at = c.offset();
    const uint16_t tag = c.u16("a plot value");
    if (tag == format::kTagEmpty)
      out.emplace_back(std::monostate{});
    else if (tag == format::kTagInt16)
      out.emplace_back(c.i16("a plot value"));
    else if (tag == format::kTagDouble)
      out.emplace_back(c.f64("a plot value"));
    else
      throw FormatError("unknown plot value tag " + std::to_string(tag), at);
  }
  if (out.size() % 2 != 0) throw FormatError("odd number of plot values", bytes.size());
  return out;
}

}  // namespace compactor
