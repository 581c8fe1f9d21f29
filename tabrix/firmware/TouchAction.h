#pragma once
// One thing a touch report calls for outside the firmware link: a region window update, a
// Pen Software Link message, a Set panel state for the driver, or a change of the
// application's pen state. The report handler decides them; the worker carries them out in
// the order given, on its own thread.
#include <cstdint>
#include <memory>
#include <vector>

#include "tabrix/firmware/RegionWindow.h"

namespace kv {

struct TouchAction {
  enum Kind : uint8_t {
    REGION_POSITION,  // m_pWindow, m_dX, m_dY
    REGION_REDRAW,    // m_pWindow; m_bFlag: posted rather than sent
    PEN_LINK,         // message m_uValue with m_uWParam, m_uLParam
    PANEL_STATE,      // Set panel state code m_uValue, flag 0
    TOUCHING,         // m_bFlag: touching; m_uWParam: its start tick
    BUTTON,           // button bit m_uValue; m_bFlag: pressed
  };

  Kind m_kind = PEN_LINK;
  std::shared_ptr<RegionWindow> m_pWindow;
  double m_dX = 0.0, m_dY = 0.0;
  bool m_bFlag = false;
  uint32_t m_uValue = 0;
  uint64_t m_uWParam = 0, m_uLParam = 0;
};

using TouchActions = std::vector<TouchAction>;

}  // namespace kv
