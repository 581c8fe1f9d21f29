#pragma once
// The region window other programs read the last region-detection point from: it keeps
// two doubles and shows them as its text when told to redraw (its message 5127). The
// firmware link writes the point from its worker thread.
#include <cstdint>

namespace kv {

class RegionWindow {
 public:
  static constexpr uint32_t REDRAW_MESSAGE = 5127;  // WM_USER + 0x1007

  virtual ~RegionWindow() = default;
  // The window handle handed to pen programs with the touch announcement.
  virtual uint64_t Handle() const = 0;
  virtual void SetPosition(double x, double y) = 0;
  // Sent: returns once the window has taken the message. Posted: returns at once, for when
  // the window's thread may itself be waiting for the firmware link.
  virtual void SendRedraw() = 0;
  virtual void PostRedraw() = 0;
};

}  // namespace kv
