#pragma once
// Least-squares fit of the angle adjustment from a measured precise grid: the deltas that
// make the corrected left and right columns vertical, the corrected top and bottom rows
// horizontal and the top row evenly spaced.
#include <cstdint>

#include "optrim/calibration/CalcGrid.h"

namespace kv {

struct AngleDeltas {
  double dDeltaL = 0.0;
  double dDeltaR = 0.0;
  double dDeltaD = 0.0;
};

class CAngleFit {
 public:
  static constexpr int kFitFailed = -1;
  static constexpr int kLargeDeltaL = 1;
  static constexpr int kLargeDeltaR = 2;
  static constexpr int kLargeDeltaD = 4;
  static constexpr double kMinDeterminant = 1e-6;

  // -1 with *deltas untouched when the normal equations are (nearly) singular or a point
  // used lies on the baseline (y = 0); otherwise *deltas is set and the result holds a bit
  // for each delta whose magnitude exceeds 1.
  static int Fit(const CalcGrid& m, uint32_t baseL, int32_t xOffset, AngleDeltas* deltas);
};

}  // namespace kv
