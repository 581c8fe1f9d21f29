#pragma once
// The primary screen as the system reports it at the moment of the call: its size in
// pixels (GetSystemMetrics SM_CXSCREEN / SM_CYSCREEN) and its rotation in degrees
// (0, 90, 180, 270). The real backend comes with the GUI; tests hand in their own.
#include <cstdint>

#include "tabrix/driverlink/ScreenSizeSource.h"

namespace kv {

class Display : public ScreenSizeSource {
 public:
  virtual int32_t RotationDegrees() = 0;
};

}  // namespace kv
