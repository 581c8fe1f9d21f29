#pragma once
// What the calibration surface's logic asks of its window: shown over the whole primary
// screen or hidden, parts repainted, the mouse cursor hidden while touches are collected,
// the message panel's text. The Qt view implements it; tests record the calls.
#include <string>

#include "tabrix/calibration/CalibrationGeometry.h"

namespace kv {

class CalibrationSurfaceView {
 public:
  virtual ~CalibrationSurfaceView() = default;
  virtual void ShowMaximized() = 0;
  virtual void Hide() = 0;
  // Erased and drawn again from the logic's state at the next paint.
  virtual void Invalidate(const ScreenRect& area) = 0;
  virtual void InvalidateAll() = 0;
  virtual void SetCursorHidden(bool hidden) = 0;
  virtual void SetMessage(const std::string& text) = 0;
};

}  // namespace kv
