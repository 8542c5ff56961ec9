#include "sources/conversion.h"

#include <gtest/gtest.h>

#include <limits>

namespace compactor {
namespace {

TEST(Conversion, HalvesGoToTheEvenNeighbour) {
  struct Case {
    double in;
    int32_t out;
  };
  const Case cases[] = {
      {10.5, 10}, {11.5, 12}, {140.5, 140}, {141.5, 142}, {0.5, 0},      {1.5, 2},     {-0.5, 0},
      {-1.5, -2}, {-2.5, -2}, {2.4999, 2},  {2.5001, 3},  {-2.5001, -3}, {820.0, 820}, {0.0, 0},
  };
  for (const auto& c : cases) EXPECT_EQ(to_int<int32_t>(c.in), c.out) << c.in;
}

TEST(Conversion, EightBitLimits) {
  EXPECT_EQ(to_int<uint8_t>(255.0), 255);
  EXPECT_EQ(to_int<uint8_t>(255.4), 255);
}

TEST(Conversion, ResultThatDoesNotFitIsAFault) {
  // 255.5 rounds to 256 (even), which does not fit 8 bits; 254.5 rounds to 254.
  EXPECT_THROW(to_int<uint8_t>(255.5), ConversionFault);
  EXPECT_EQ(to_int<uint8_t>(254.5), 254);
  EXPECT_THROW(to_int<uint8_t>(-0.51), ConversionFault);
  EXPECT_EQ(to_int<uint8_t>(-0.5), 0);  // -0.5 goes to 0, which fits

  EXPECT_EQ(to_int<int16_t>(32767.49), 32767);
  EXPECT_EQ(to_int<int16_t>(32766.5), 32766);
  EXPECT_THROW(to_int<int16_t>(32767.5), ConversionFault);
  EXPECT_EQ(to_int<int16_t>(-32768.5), -32768);
  EXPECT_THROW(to_int<int16_t>(-32769.5), ConversionFault);

  EXPECT_EQ(to_int<int32_t>(2147483647.0), std::numeric_limits<int32_t>::max());
  EXPECT_THROW(to_int<int32_t>(2147483647.5), ConversionFault);
  EXPECT_EQ(to_int<int32_t>(-2147483648.5), std::numeric_limits<int32_t>::min());
  EXPECT_THROW(to_int<int32_t>(-2147483649.0), ConversionFault);
}

TEST(Conversion, NotANumberIsAFault) {
  EXPECT_THROW(to_int<int32_t>(std::numeric_limits<double>::quiet_NaN()), ConversionFault);
  EXPECT_THROW(to_int<int32_t>(std::numeric_limits<double>::infinity()), ConversionFault);
  EXPECT_THROW(div_round(1, 0), ConversionFault);
}

TEST(Conversion, QuotientsOfPositions) {
  EXPECT_EQ(div_round(41000, 50), 820);
  EXPECT_EQ(div_round(7025, 50), 140);  // 140.5
  EXPECT_EQ(div_round(7075, 50), 142);  // 141.5
  EXPECT_EQ(div_round(-25, 50), 0);     // -0.5
  EXPECT_EQ(div_round(525, 50), 10);    // 10.5
}

TEST(Conversion, NarrowStoresKeepLowBits) {
  EXPECT_EQ(low8(300), 44);
  EXPECT_EQ(low8(96), 96);
  EXPECT_EQ(low8(-4 + 100), 96);
  EXPECT_EQ(low16(70000), 4464);
  EXPECT_EQ(low16(-1), -1);
  EXPECT_EQ(low16(40000), -25536);
}

}  // namespace
}  // namespace compactor
