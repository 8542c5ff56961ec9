#include "output/compiled_files.h"

#include <gtest/gtest.h>

#include <limits>

#include "output/compiled_format.h"
#include "sources/bit_copy.h"

namespace compactor {
namespace {

std::string hex_bytes(std::initializer_list<int> bytes) {
  std::string s;
  for (int b : bytes) s += static_cast<char>(b);
  return s;
}

// A slot table with a station, a sign text and the two names.
std::array<SlotRecord, kSlotCount> sample_slots() {
  std::array<SlotRecord, kSlotCount> slots{};
  slots[1].kind = 12;
  slots[1].value1 = -250;
  slots[1].value2 = 250;
  slots[1].mode = 1;
  slots[1].text = "ROVELLA";
  slots[1].byte2 = 1;
  slots[1].value4 = 66060;
  slots[80].text = "(N\xB0 47)";
  slots[85].text = "Rovella_Tirsa";
  slots[85].short1 = 610;
  slots[85].value4 = -1;
  slots[86].text = "7162";
  slots[86].short1 = -32768;
  return slots;
}

std::vector<TrackCell> sample_sections() {
  std::vector<TrackCell> cells(5);
  cells[1].data1 = 5121;
  cells[1].data2 = -2;
  cells[3] = TrackCell{255, -1, 32767, -32768, 1, 2, 3, 4, 5, 6, 7};
  return cells;
}

TEST(CompiledFiles, SlowDownStartIsFifteenBytes) {
  TrackCell c;
  c.kind = 3;
  c.data1 = 60;
  c.data3 = 5;
  c.speed_code = 27;
  c.gradient_code = 104;
  c.adhesion = 100;
  const std::string expected =
      hex_bytes({0x03, 0x3C, 0x00, 0x00, 0x00, 0x05, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x1B, 0x68, 0x64});
  EXPECT_EQ(encode_sections({c}), expected);
  EXPECT_EQ(decode_sections(expected), std::vector<TrackCell>{c});
}

TEST(CompiledFiles, SlotWithTextIsThirtyFourBytesPlusItsText) {
  std::array<SlotRecord, kSlotCount> slots{};
  slots[0].value3 = 4;
  slots[0].text = "7162";
  slots[0].short1 = 300;
  slots[0].short3 = 18;
  slots[0].short4 = 20;
  slots[0].short5 = 30;
  const std::string expected =
      hex_bytes({0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0x00, 0x00, 0x00,
                 0x00, 0x04, 0x00, 0x37, 0x31, 0x36, 0x32, 0x2C, 0x01, 0x00, 0x00, 0x12, 0x00,
                 0x14, 0x00, 0x1E, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00, 0x00});
  const std::string bytes = encode_slots(slots);
  ASSERT_EQ(bytes.size(), 38 + 86 * format::kSlotFixedBytes);
  EXPECT_EQ(bytes.substr(0, 38), expected);
  EXPECT_EQ(decode_slots(bytes), slots);
}

TEST(CompiledFiles, EmptySlotTableIs2958Bytes) {
  const std::string bytes = encode_slots(std::array<SlotRecord, kSlotCount>{});
  EXPECT_EQ(bytes.size(), 2958u);
  EXPECT_EQ(bytes, std::string(2958, '\0'));
}

TEST(CompiledFiles, PlotValuesCarryTheirTags) {
  const std::vector<PlotValue> plot{std::monostate{}, int16_t{-2}, 1.5, std::monostate{}};
  const std::string bytes = encode_route_plot(RoutePlot::from_values(plot));
  std::string expected = hex_bytes({0x00, 0x00, 0x02, 0x00, 0xFE, 0xFF, 0x05, 0x00});
  const auto bits = bit_copy<uint64_t>(1.5);
  for (int k = 0; k < 8; ++k) expected += static_cast<char>((bits >> (8 * k)) & 0xFF);
  expected += hex_bytes({0x00, 0x00});
  EXPECT_EQ(bytes, expected);
  EXPECT_EQ(decode_route_plot(bytes), plot);
}

TEST(CompiledFiles, DecodingGivesBackWhatWasEncoded) {
  EXPECT_EQ(decode_sections(encode_sections(sample_sections())), sample_sections());
  EXPECT_EQ(decode_slots(encode_slots(sample_slots())), sample_slots());
  const std::vector<PlotValue> plot{int16_t{0},
                                    -0.0,
                                    std::numeric_limits<double>::denorm_min(),
                                    int16_t{32767},
                                    std::numeric_limits<double>::quiet_NaN(),
                                    std::monostate{}};
  const std::string bytes = encode_route_plot(RoutePlot::from_values(plot));
  EXPECT_EQ(encode_route_plot(RoutePlot::from_values(decode_route_plot(bytes))), bytes);  // NaN is not equal to itself: compare bytes
}

TEST(CompiledFiles, EveryTruncatedSlotTableIsRefused) {
  const std::string bytes = encode_slots(sample_slots());
  for (size_t n = 0; n < bytes.size(); ++n) {
    EXPECT_THROW(decode_slots(std::string_view(bytes).substr(0, n)), FormatError) << "length " << n;
  }
}

TEST(CompiledFiles, SectionArrayCutInsideARecordIsRefusedAtThatRecord) {
  const std::string bytes = encode_sections(sample_sections());
  for (size_t n = 0; n <= bytes.size(); ++n) {
    const std::string_view cut = std::string_view(bytes).substr(0, n);
    if (n % format::kCellBytes == 0) {
      EXPECT_EQ(decode_sections(cut).size(), n / format::kCellBytes);
      continue;
    }
    try {
      decode_sections(cut);
      ADD_FAILURE() << "length " << n << " was accepted";
    } catch (const FormatError& e) {
      EXPECT_EQ(e.offset(), n - n % format::kCellBytes);
    }
  }
}

TEST(CompiledFiles, EveryTruncatedRoutePlotIsRefusedOrShorter) {
  const std::vector<PlotValue> plot{int16_t{0}, int16_t{1}, 2.0, std::monostate{}, 3.5, std::monostate{}};
  const std::string bytes = encode_route_plot(RoutePlot::from_values(plot));
  for (size_t n = 0; n < bytes.size(); ++n) {
    try {
      const auto values = decode_route_plot(std::string_view(bytes).substr(0, n));
      EXPECT_LT(values.size(), plot.size());
      EXPECT_EQ(values.size() % 2, 0u);
    } catch (const FormatError& e) {
      EXPECT_LE(e.offset(), n);
    }
  }
}

TEST(CompiledFiles, DamagedBytesNameTheirOffset) {
  const std::string slots = encode_slots(sample_slots());
  struct Case {
    const char* what;
    std::string bytes;
    size_t offset;
    bool slot_table;
  };
  std::string long_text = slots;
  long_text[format::kSlotTextLength] = '\xFF';  // slot 0: 65280 + 0 bytes of text
  long_text[format::kSlotTextLength + 1] = '\xFF';
  std::string plot = encode_route_plot(RoutePlot::from_values({int16_t{0}, 1.0}));
  plot[4] = 7;  // the second tag
  const Case cases[] = {
      {"a text running past the end", long_text, format::kSlotTextLength, true},
      {"bytes after the 87th slot", slots + "x", slots.size(), true},
      {"an unknown plot tag", plot, 4, false},
      {"an odd number of plot values", encode_route_plot(RoutePlot::from_values({int16_t{0}, 1.0})).substr(0, 4), 4, false},
  };
  for (const Case& c : cases) {
    try {
      if (c.slot_table)
        decode_slots(c.bytes);
      else
        decode_route_plot(c.bytes);
      ADD_FAILURE() << c.what << " was accepted";
    } catch (const FormatError& e) {
      EXPECT_EQ(e.offset(), c.offset) << c.what;
      EXPECT_NE(std::string(e.what()).find("offset " + std::to_string(c.offset)), std::string::npos)
          << e.what();
    }
  }
}

// The plot is computed from its runs while it streams: the bytes are those of its values,
// whatever the buffer size and wherever a piece ends (inside a run, at the origin, in the
// empty tail), each piece in its place.
TEST(CompiledFiles, StreamedPlotGivesTheBytesOfItsValuesWithAnyBuffer) {
  RoutePlot plot(700);
  plot.set_origin();
  plot.extend_straight(50);
  plot.extend_curved(300, -0.0002);
  plot.extend_curved(420, 0.003);
  plot.extend_straight(698);
  const std::string expected = encode_route_plot(RoutePlot::from_values(plot.values()));
  EXPECT_EQ(expected.size(), 2u * (2 * 4 + 696 * 10 + 2 * 2));
  for (const size_t buffer : {size_t{10}, size_t{11}, size_t{4090}, RoutePlotSource::kBufferBytes}) {
    RoutePlotSource source(plot, buffer);
    ASSERT_EQ(source.size(), expected.size());
    std::string streamed(expected.size(), '?');
    for (BytePiece piece = source.next(); !piece.bytes.empty(); piece = source.next()) {
      EXPECT_LE(piece.bytes.size(), buffer);
      ASSERT_LE(piece.offset + piece.bytes.size(), streamed.size());
      streamed.replace(piece.offset, piece.bytes.size(), piece.bytes);
    }
    EXPECT_EQ(streamed, expected) << "buffer " << buffer;
  }
}

// Many runs: short and long, straight and curved in every mix, many of them in one
// buffer, cut by the buffer anywhere.
TEST(CompiledFiles, ManyRunsSteppedTogetherGiveTheValuesOfEachRunAlone) {
  RoutePlot plot(6000);
  plot.set_origin();
  int64_t end = 2;
  for (int k = 0; k < 400; ++k) {
    end += 1 + (k * 7) % 13 + (k % 50 == 0 ? 900 : 0);
    if (end >= plot.points()) break;
    if (k % 3 == 0)
      plot.extend_straight(end);
    else
      plot.extend_curved(end, (k % 2 ? 1 : -1) * 0.0001 * (1 + k % 9));
  }
  ASSERT_GT(plot.runs().size(), 200u);
  const std::string expected = encode_route_plot(RoutePlot::from_values(plot.values()));
  for (const size_t buffer : {size_t{10}, size_t{130}, size_t{4090}, size_t{65537}, RoutePlotSource::kBufferBytes}) {
    RoutePlotSource source(plot, buffer);
    EXPECT_EQ(join_pieces(source), expected) << "buffer " << buffer;
  }
}

}  // namespace
}  // namespace compactor
