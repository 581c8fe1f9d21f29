#pragma once
// The label a preset hot key shows for 500 ms: the preset's name, white on navy, centred
// on the screen, 70 % opaque.
#include "resources/StringTable.h"
#include "tabrix/calibration/ScreenSizePreset.h"
#include "tabrix/ui/BannerLook.h"

namespace kv {

class CCalibAutoSetDlg {
 public:
  static constexpr uint32_t CLOSE_TIMER_ID = 5125;
  static constexpr uint32_t DURATION_MS = 500;
  static constexpr uint32_t NAME_IDS[3] = {57703, 57704, 57705};  // WIDE, NORMAL, Dot by Dot

  static BannerLook LookOf(const CStringTable& strings, int preset) {
    BannerLook look;
    look.m_sText = (preset >= 0 && preset < 3) ? strings.Get(NAME_IDS[preset]) : std::string();
    look.m_uBackground = BANNER_NAVY;
    look.m_uTextColour = BANNER_WHITE;
    look.m_uDurationMs = DURATION_MS;
    return look;
  }
};

}  // namespace kv
