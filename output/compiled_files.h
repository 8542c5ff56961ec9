#pragma once
// The three compiled files, encoded in memory (and decoded back for inspection).

#include <cstdint>
#include <memory>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/track_model.h"
#include "sources/file_sink.h"

namespace compactor {

// <line>_<train>.dat: sections 0 to cell_limit, 15 bytes each.
std::string encode_sections(const std::vector<TrackCell>& sections);
// <line>_<train>.sim: slots 0 to 86, each 34 bytes plus its text. Texts are stored
// bytes (Windows-1252) already; a text longer than 65535 bytes cannot be stored.
std::string encode_slots(const std::array<SlotRecord, kSlotCount>& slots);
// <line>_linea.dat: the x values for metres 0..plot_limit, then the y values, each tagged.
std::string encode_route_plot(const RoutePlot& plot);

// The same bytes handed out piece by piece through two buffers, one for each axis. The
// values of a compiled plot are computed here, once each, in order: every stretch of
// metres goes out as two pieces, its x values at their place in the first half of the
// file and its y values at theirs in the second, so the plot of a long line is never held
// whole in any form. A plot read back from a file goes out in file order.
class RoutePlotSource : public ByteSource {
 public:
  // For each axis: a quarter of a megabyte a write (four times fewer than 64 KB took 1.6 ms
  // less system time for the 1000 km line's 20 MB).
  static constexpr size_t kBufferBytes = size_t{256} << 10;

  // buffer_bytes: for each axis, at least the 10 bytes of the largest value.
  explicit RoutePlotSource(const RoutePlot& plot, size_t buffer_bytes = kBufferBytes);
  uint64_t size() const override { return size_; }
  BytePiece next() override;

 private:
  BytePiece next_computed();
  BytePiece next_stored();

  const RoutePlot& plot_;
  uint64_t size_;        // of the file
  uint64_t y_start_;     // where the y values begin
  size_t buffer_bytes_;
  std::unique_ptr<char[]> buffer_;  // x, then y
  int32_t metre_ = 0;               // next metre to go out
  uint64_t at_ = 0;                 // where its x value goes (a plot read back: its value)
  int axis_ = 0;                    // a plot read back: the axis going out
  size_t run_ = 0;                  // the run holding metre_, once past the origin
  PlotState state_ = kPlotOrigin;   // the two points before metre_
  BytePiece y_piece_;               // the y values of the stretch whose x values went out last
};

// A compiled file that does not hold what its format says; names the offset.
class FormatError : public std::runtime_error {
 public:
  FormatError(const std::string& what, size_t offset)
      : std::runtime_error(what + " at offset " + std::to_string(offset)), offset_(offset) {}
  size_t offset() const { return offset_; }

 private:
  size_t offset_;
};

std::vector<TrackCell> decode_sections(std::string_view bytes);
std::array<SlotRecord, kSlotCount> decode_slots(std::string_view bytes);
// Returns the values in file order (x for every metre, then y); the count must be even.
std::vector<PlotValue> decode_route_plot(std::string_view bytes);
// The same values as a plot read back from a file, held in its compact form (9 bytes a value).
RoutePlot decode_route_plot_model(std::string_view bytes);

}  // namespace compactor
