#pragma once
// 32-bit multiply-then-divide as the Windows platform defines it: 64-bit product, result
// rounded half away from zero, -1 when the divisor is 0 or the result leaves the 32-bit
// range. The calibration code uses TryMulDiv, which tells those failures apart from a
// genuine result of -1.
#include <cstdint>

namespace kv {

int32_t MulDiv(int32_t number, int32_t numerator, int32_t denominator);

enum class MulDivStatus { OK, ZERO_DIVISOR, OUT_OF_RANGE };

// Arguments outside the 32-bit range, a zero divisor or a result that MulDiv would refuse
// leave *out untouched and say why.
MulDivStatus TryMulDiv(int64_t number, int64_t numerator, int64_t denominator, int32_t* out);

}  // namespace kv
