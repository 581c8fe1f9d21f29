#pragma once
// The four crosses of the calibration screen and the arithmetic on the touches: where the
// crosses sit for a screen of W x H, which quadrant accepts each touch, how a raw pen
// position (0..65535 on each axis) becomes a screen pixel, the check that the four touches
// lie in their order, and the ratio and offset that map the touches onto the crosses.
// The integer and single-precision steps are deliberate: stored calibrations were made
// with exactly these roundings.
#include <array>
#include <cstdint>

#include "tabrix/calibration/CalibrationValues.h"

namespace kv {

struct ScreenPoint {
  int32_t x = 0;
  int32_t y = 0;
  bool operator==(const ScreenPoint&) const = default;
};

// left, top inclusive; right, bottom exclusive.
struct ScreenRect {
  int32_t left = 0, top = 0, right = 0, bottom = 0;
  bool operator==(const ScreenRect&) const = default;
};

class CCalibrationGeometry {
 public:
  static constexpr int TARGET_COUNT = 4;
  static constexpr int32_t BOX_HALF = 16;
  static constexpr int32_t BOX = 2 * BOX_HALF;
  static constexpr int32_t PEN_WIDTH = 3;
  static constexpr double RAW_RANGE = 65535.0;

  using Points = std::array<ScreenPoint, TARGET_COUNT>;

  CCalibrationGeometry(int32_t width, int32_t height) : m_iWidth(width), m_iHeight(height) {}

  int32_t Width() const { return m_iWidth; }
  int32_t Height() const { return m_iHeight; }
  // Top-left corner of each target's box, in touch order: top left, bottom left, bottom
  // right, top right, 5 % in from the edges.
  Points Corners() const;
  ScreenPoint Centre(int index) const;
  bool InQuadrant(int index, ScreenPoint p) const;
  ScreenPoint ToScreen(int32_t rawX, int32_t rawY) const;
  // What must be repainted when a target changes colour: its box with 4 pixels around it.
  ScreenRect BoxArea(int index) const;
  // The area of target 0, repainted after a failed check.
  ScreenRect FirstTargetArea() const;
  ScreenRect MessagePanel() const;

  // Left touches left of the right ones, top touches above the bottom ones (strict).
  static bool TouchesInOrder(const Points& touches);
  // The values that put the mean left and right touches on the centres of targets 0 and 2
  // (likewise top and bottom), for corrected = raw x ratio - offset.
  static CalibrationValues Compute(const Points& corners, const Points& touches);

 private:
  int32_t MarginX() const { return m_iWidth * 50 / 1000; }
  int32_t MarginY() const { return m_iHeight * 50 / 1000; }

  int32_t m_iWidth;
  int32_t m_iHeight;
};

}  // namespace kv
