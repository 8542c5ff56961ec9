#pragma once
// The three compiled files, encoded in memory (and decoded back for inspection).

#include <cstdint>
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
std::string encode_route_plot(const std::vector<PlotValue>& plot);

// The same bytes handed out piece by piece: the route plot of a long line is tens of
// megabytes, and need not be held twice.
class RoutePlotSource : public ByteSource {
 public:
  explicit RoutePlotSource(const std::vector<PlotValue>& plot) : plot_(plot) {}
  std::string_view next() override;

 private:
  const std::vector<PlotValue>& plot_;
  size_t index_ = 0;
  std::string piece_;
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

}  // namespace compactor
