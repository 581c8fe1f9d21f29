#pragma once
// The primary screen as the system reports it at the moment of the call: its size in
// pixels (GetSystemMetrics SM_CXSCREEN / SM_CYSCREEN), its rotation in degrees (0, 90,
// 180, 270) and its display mode. The desktop backend lives in platform/qt/; tests hand
// in their own.
#include <cstdint>

#include "platform/ScreenSizeSource.h"

namespace kv {

// EnumDisplaySettings of the current mode; a refresh rate of 0 means unknown.
struct DisplayMode {
  uint32_t m_uWidth = 0;
  uint32_t m_uHeight = 0;
  uint32_t m_uRefreshHz = 0;
};

class Display : public ScreenSizeSource {
 public:
  virtual int32_t RotationDegrees() = 0;
  virtual DisplayMode CurrentMode() {
    DisplayMode mode;
    PrimaryScreenSize(&mode.m_uWidth, &mode.m_uHeight);
    return mode;
  }
};

}  // namespace kv
