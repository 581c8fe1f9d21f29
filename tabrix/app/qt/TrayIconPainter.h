#pragma once
// Our own pictures for the tray icon's resource ids: a pen on a panel, blue when the
// driver is on, grey with a red bar when it is off, turned when the screen is rotated,
// orange while a test runs; two pens for dual touch, a square frame for the older set.
#include <QIcon>

#include <cstdint>

namespace kv {

class CTrayIconPainter {
 public:
  static QIcon IconFor(uint32_t resourceId);
  // The program's own icon (about box, windows): the driver-on picture.
  static QIcon ProgramIcon() { return IconFor(128); }
};

}  // namespace kv
