#pragma once
// The tray menu as it is built at every opening: its items, their texts, what is greyed
// and what is checked, from the state of the moment. The view only draws what this says.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/Display.h"
#include "resources/StringTable.h"

namespace kv {

struct TrayMenuItem {
  uint32_t m_uId = 0;  // 0: a separator
  std::string m_sText;
  bool m_bEnabled = true;
  bool m_bChecked = false;
  std::vector<TrayMenuItem> m_children;  // a submenu
};

struct TrayMenuState {
  bool m_bDriverOn = false;
  bool m_bBusy = false;
  bool m_bTestDisplayRequested = false;
  uint32_t m_uModelType = 0;
  uint32_t m_uStoredRotation = 0;  // "RotationAngle"
  DisplayMode m_mode;
};

class CTrayMenu {
 public:
  static constexpr uint32_t ID_RESOLUTION = 57400;
  static constexpr uint32_t ID_CALIBRATION = 57401;
  static constexpr uint32_t ID_PROPERTIES = 57402;
  static constexpr uint32_t ID_HARDWARE = 57403;
  static constexpr uint32_t ID_TEST_DISPLAY = 57404;
  static constexpr uint32_t ID_ROTATE = 57406;
  static constexpr uint32_t ID_ROTATE_0 = 57407;  // to 57410 for 270 degrees
  static constexpr uint32_t ID_DRIVER_OFF = 57411;
  static constexpr uint32_t ID_VERSION = 57413;
  static constexpr uint32_t ID_EXIT = 57414;

  static std::vector<TrayMenuItem> Build(const TrayMenuState& state, const CStringTable& strings);
  // "%s  %d X %d @%dHz", or without the rate when it is 0.
  static std::string ResolutionText(const std::string& label, const DisplayMode& mode);
  // The angle of a rotate item (57407..57410), or -1.
  static int AngleOf(uint32_t id) {
    return (id >= ID_ROTATE_0 && id <= ID_ROTATE_0 + 3) ? static_cast<int>(id - ID_ROTATE_0) * 90 : -1;
  }
};

}  // namespace kv
