#include "optrim/calibration/MulDiv.h"

#include <limits>

namespace kv {
namespace {

constexpr int64_t kMin32 = std::numeric_limits<int32_t>::min();
constexpr int64_t kMax32 = std::numeric_limits<int32_t>::max();

bool Fits32(int64_t v) { return v >= kMin32 && v <= kMax32; }

}  // namespace

MulDivStatus TryMulDiv(int64_t number, int64_t numerator, int64_t denominator, int32_t* out) {
  if (!Fits32(number) || !Fits32(numerator) || !Fits32(denominator)) return MulDivStatus::OUT_OF_RANGE;
  if (denominator == 0) return MulDivStatus::ZERO_DIVISOR;
  // |number * numerator| <= 2^62, and the divisor is made positive, so nothing here
  // overflows 64 bits.
  int64_t product = number * numerator;
  int64_t divisor = denominator;
  if (divisor < 0) {
    product = -product;
    divisor = -divisor;
  }
  int64_t half = divisor / 2;
  int64_t result = product < 0 ? (product - half) / divisor : (product + half) / divisor;
  // The platform refuses INT32_MIN as well, since -1 is its only error value and the
  // rounding is symmetric.
  if (result > kMax32 || result < -kMax32) return MulDivStatus::OUT_OF_RANGE;
  *out = static_cast<int32_t>(result);
  return MulDivStatus::OK;
}

int32_t MulDiv(int32_t number, int32_t numerator, int32_t denominator) {
  int32_t result = -1;
  return TryMulDiv(number, numerator, denominator, &result) == MulDivStatus::OK ? result : -1;
}

}  // namespace kv
