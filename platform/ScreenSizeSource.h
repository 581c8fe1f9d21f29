#pragma once
// The primary screen's size in pixels as the system reports it at the moment of the call
// (GetSystemMetrics SM_CXSCREEN / SM_CYSCREEN).
#include <cstdint>

namespace kv {

class ScreenSizeSource {
 public:
  virtual ~ScreenSizeSource() = default;
  virtual void PrimaryScreenSize(uint32_t* width, uint32_t* height) = 0;
};

}  // namespace kv
