#include "tabrix/calibration/CalibrationGeometry.h"

#include <algorithm>

namespace kv {

namespace {

ScreenRect Clip(ScreenRect r, int32_t width, int32_t height) {
  r.left = std::clamp(r.left, 0, width);
  r.right = std::clamp(r.right, 0, width);
  r.top = std::clamp(r.top, 0, height);
  r.bottom = std::clamp(r.bottom, 0, height);
  return r;
}

// One axis: the mean of the two touches near the low target and of the two near the high
// one, each relative to the low target's box corner; the sums stay in 32-bit integers.
struct AxisFit {
  double m_dRatio;
  double m_dOffset;
};

AxisFit FitAxis(int32_t lowCorner, int32_t highCorner, int32_t low1, int32_t low2,
                int32_t high1, int32_t high2) {
  const int32_t span = highCorner - lowCorner;
  // Only a screen too small for two crosses side by side has no span.
  if (span <= 0) return {1.0, 0.0};
  const double low = ((low1 - lowCorner) + (low2 - lowCorner)) / 2.0;
  const double high = ((high1 - lowCorner) + (high2 - lowCorner)) / 2.0;
  const int32_t touched = std::max(1, static_cast<int32_t>(high - low));
  const double ratio = static_cast<double>(span) / touched;
  const double offset =
      (low + lowCorner -
       static_cast<double>(lowCorner + CCalibrationGeometry::BOX_HALF) * touched / span) *
      ratio;
  return {ratio, offset};
}

}  // namespace

CCalibrationGeometry::Points CCalibrationGeometry::Corners() const {
  const int32_t mx = MarginX(), my = MarginY();
  return {{{mx, my},
           {mx, m_iHeight - my - BOX},
           {m_iWidth - mx - BOX, m_iHeight - my - BOX},
           {m_iWidth - mx - BOX, my}}};
}

ScreenPoint CCalibrationGeometry::Centre(int index) const {
  const ScreenPoint c = Corners()[static_cast<size_t>(index & 3)];
  return {c.x + BOX_HALF, c.y + BOX_HALF};
}

bool CCalibrationGeometry::InQuadrant(int index, ScreenPoint p) const {
  const bool left = p.x < m_iWidth / 2, top = p.y < m_iHeight / 2;
  switch (index) {
    case 0: return left && top;
    case 1: return left && !top;
    case 2: return !left && !top;
    case 3: return !left && top;
    default: return false;
  }
}

ScreenPoint CCalibrationGeometry::ToScreen(int32_t rawX, int32_t rawY) const {
  const float x = static_cast<float>(rawX) * static_cast<float>(m_iWidth) / static_cast<float>(RAW_RANGE);
  const float y = static_cast<float>(rawY) * static_cast<float>(m_iHeight) / static_cast<float>(RAW_RANGE);
  return {static_cast<int32_t>(x), static_cast<int32_t>(y)};
}

ScreenRect CCalibrationGeometry::BoxArea(int index) const {
  const ScreenPoint c = Corners()[static_cast<size_t>(index & 3)];
  return Clip({c.x - 4, c.y - 4, c.x + BOX + 4, c.y + BOX + 4}, m_iWidth, m_iHeight);
}

ScreenRect CCalibrationGeometry::FirstTargetArea() const {
  return Clip({40, 40, m_iWidth - m_iWidth / 2, m_iHeight - m_iHeight / 2}, m_iWidth, m_iHeight);
}

ScreenRect CCalibrationGeometry::MessagePanel() const {
  const int32_t my = MarginY();
  return {m_iWidth / 4, my + 40, (m_iWidth / 4) * 3, my + (m_iHeight / 5) * 2 + 60};
}

bool CCalibrationGeometry::TouchesInOrder(const Points& t) {
  return std::max(t[0].x, t[1].x) < std::min(t[2].x, t[3].x) &&
         std::max(t[0].y, t[3].y) < std::min(t[1].y, t[2].y);
}

CalibrationValues CCalibrationGeometry::Compute(const Points& corners, const Points& t) {
  const AxisFit x = FitAxis(corners[0].x, corners[2].x, t[0].x, t[1].x, t[3].x, t[2].x);
  const AxisFit y = FitAxis(corners[0].y, corners[2].y, t[0].y, t[3].y, t[1].y, t[2].y);
  return {x.m_dRatio, y.m_dRatio, x.m_dOffset, y.m_dOffset};
}

}  // namespace kv
