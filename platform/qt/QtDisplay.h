#pragma once
// The primary screen through Qt, in device pixels as a DPI-aware Windows program sees it:
// a 3840x2160 screen at 200 % scaling is 3840x2160 here, never 1920x1080.
#include "platform/Display.h"

namespace kv {

class CQtDisplay final : public Display {
 public:
  void PrimaryScreenSize(uint32_t* width, uint32_t* height) override;
  int32_t RotationDegrees() override;
  DisplayMode CurrentMode() override;
};

}  // namespace kv
