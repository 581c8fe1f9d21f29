#include "optrim/calibration/MulDiv.h"

#include <gtest/gtest.h>

#include <limits>

namespace kv {
namespace {

constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr int32_t kMin = std::numeric_limits<int32_t>::min();

struct MulDivCase {
  int32_t number, numerator, denominator, expected;
};

class MulDivTable : public ::testing::TestWithParam<MulDivCase> {};

TEST_P(MulDivTable, MatchesThePlatform) {
  const MulDivCase& c = GetParam();
  EXPECT_EQ(MulDiv(c.number, c.numerator, c.denominator), c.expected)
      << c.number << " * " << c.numerator << " / " << c.denominator;
}

INSTANTIATE_TEST_SUITE_P(
    Rounding, MulDivTable,
    ::testing::Values(MulDivCase{10, 3, 2, 15}, MulDivCase{5, 1, 2, 3},     // 2.5 -> 3
                      MulDivCase{-5, 1, 2, -3}, MulDivCase{5, -1, 2, -3},   // -2.5 -> -3
                      MulDivCase{5, 1, -2, -3}, MulDivCase{-5, -1, 2, 3},
                      MulDivCase{-5, 1, -2, 3}, MulDivCase{7, 1, 3, 2},     // 2.33 -> 2
                      MulDivCase{8, 1, 3, 3}, MulDivCase{-8, 1, 3, -3},     // 2.67 -> 3
                      MulDivCase{-7, 1, 3, -2}, MulDivCase{0, -7, 3, 0},
                      MulDivCase{-4000, 20000, 20000, -4000}));

INSTANTIATE_TEST_SUITE_P(
    SixtyFourBitProduct, MulDivTable,
    ::testing::Values(MulDivCase{kMax, 2, 2, kMax}, MulDivCase{kMax, kMax, kMax, kMax},
                      MulDivCase{100000, 100000, 1000000, 10000}, MulDivCase{-kMax, kMax, -kMax, kMax}));

INSTANTIATE_TEST_SUITE_P(
    Refused, MulDivTable,
    ::testing::Values(MulDivCase{1, 1, 0, -1}, MulDivCase{0, 0, 0, -1},       // zero divisor
                      MulDivCase{kMax, 2, 1, -1}, MulDivCase{kMin, 1, 1, -1}, // out of range
                      MulDivCase{kMin, -1, 1, -1}));

TEST(TryMulDiv, TellsAFailureFromAGenuineMinusOne) {
  int32_t out = 77;
  EXPECT_EQ(TryMulDiv(-1, 1, 1, &out), MulDivStatus::OK);
  EXPECT_EQ(out, -1);
  out = 77;
  EXPECT_EQ(TryMulDiv(5, 3, 0, &out), MulDivStatus::ZERO_DIVISOR);
  EXPECT_EQ(out, 77);
  EXPECT_EQ(TryMulDiv(kMax, kMax, 1, &out), MulDivStatus::OUT_OF_RANGE);
  EXPECT_EQ(out, 77);
}

TEST(TryMulDiv, RefusesArgumentsBeyondThirtyTwoBits) {
  int32_t out = 77;
  // Differences of two 32-bit coordinates are handed in as 64-bit values.
  EXPECT_EQ(TryMulDiv(int64_t{kMax} + 1, 1, 2, &out), MulDivStatus::OUT_OF_RANGE);
  EXPECT_EQ(TryMulDiv(1, int64_t{kMin} - 1, 2, &out), MulDivStatus::OUT_OF_RANGE);
  EXPECT_EQ(TryMulDiv(1, 1, int64_t{kMax} * 4, &out), MulDivStatus::OUT_OF_RANGE);
  EXPECT_EQ(out, 77);
}

}  // namespace
}  // namespace kv
