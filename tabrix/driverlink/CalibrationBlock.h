#pragma once
// A stored pen calibration as the shared driver table publishes it: 40 bytes, u32 valid,
// 4 bytes padding, then ratio X, ratio Y, offset X, offset Y as doubles.
#include <cstddef>
#include <cstdint>

namespace kv {

struct CalibrationBlock {
  static constexpr size_t SIZE = 40;
  uint32_t m_uValid = 0;  // 1 = present
  double m_dRatioX = 1.0;
  double m_dRatioY = 1.0;
  double m_dOffsetX = 0.0;
  double m_dOffsetY = 0.0;
};

}  // namespace kv
