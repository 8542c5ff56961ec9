#include "output/compiled_files.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <type_traits>

#include "output/compiled_format.h"

namespace compactor {

namespace {

// A value as its unsigned word of the same width, least significant byte first.
template <typename Word>
char* put_word(char* out, Word v) {
  static_assert(std::is_unsigned_v<Word>);
  if constexpr (std::endian::native != std::endian::little) {
    for (size_t k = 0; k < sizeof v; ++k) out[k] = static_cast<char>(static_cast<uint8_t>(v >> (8 * k)));
  } else {
    std::memcpy(out, &v, sizeof v);
  }
  return out + sizeof v;
}

template <typename T>
char* put_field(char* out, T v) {
  return put_word(out, static_cast<std::make_unsigned_t<T>>(v));
}

template <typename T>
T get_field(const char* in) {
  using Word = std::make_unsigned_t<T>;
  Word v = 0;
  if constexpr (std::endian::native != std::endian::little) {
    for (size_t k = 0; k < sizeof v; ++k) v = static_cast<Word>(v | Word{static_cast<uint8_t>(in[k])} << (8 * k));
  } else {
    std::memcpy(&v, in, sizeof v);
  }
  return static_cast<T>(v);
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

RoutePlotSource::RoutePlotSource(const RoutePlot& plot, size_t buffer_bytes)
    : plot_(plot), buffer_bytes_(std::max<size_t>(buffer_bytes, 10)), buffer_(new char[buffer_bytes_]) {}

namespace {

constexpr size_t kLargestValue = 10;  // tag and a double

// The values of the route plot go out as whole words: the plot of a long line is two
// million of them.
char* put_u16(char* out, uint16_t v) { return put_word(out, v); }

char* put_double(char* out, double d) {
  out = put_word(out, format::kTagDouble);
  return put_word(out, std::bit_cast<uint64_t>(d));
}

char* put_value(char* out, const PlotValue& v) {
  if (const auto* d = std::get_if<double>(&v)) return put_double(out, *d);
  if (const auto* i = std::get_if<int16_t>(&v)) {
    out = put_u16(out, format::kTagInt16);
    return put_u16(out, static_cast<uint16_t>(*i));
  }
  return put_u16(out, format::kTagEmpty);
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
      out = put_u16(out, format::kTagInt16);
      out = put_u16(out, static_cast<uint16_t>(axis_ == 1 ? metre_ : 0));
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

std::vector<PlotValue> decode_route_plot(std::string_view bytes) {
  std::vector<PlotValue> out;
  Cursor c(bytes);
  while (!c.done()) {
    const size_t at = c.offset();
    const uint16_t tag = c.get<uint16_t>("a plot value");
    if (tag == format::kTagEmpty)
      out.emplace_back(std::monostate{});
    else if (tag == format::kTagInt16)
      out.emplace_back(c.get<int16_t>("a plot value"));
    else if (tag == format::kTagDouble)
      out.emplace_back(std::bit_cast<double>(c.get<uint64_t>("a plot value")));
    else
      throw FormatError("unknown plot value tag " + std::to_string(tag), at);
  }
  if (out.size() % 2 != 0) throw FormatError("odd number of plot values", bytes.size());
  return out;
}

}  // namespace compactor
