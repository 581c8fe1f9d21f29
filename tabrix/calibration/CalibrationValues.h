#pragma once
// The pen calibration in force: corrected = raw x ratio - offset on each axis, offsets in
// screen pixels. Neutral is 1, 1, 0, 0.
namespace kv {

struct CalibrationValues {
  double m_dRatioX = 1.0;
  double m_dRatioY = 1.0;
  double m_dOffsetX = 0.0;
  double m_dOffsetY = 0.0;
};

}  // namespace kv
