#pragma once
// The guide message banner: a text the caller sets, grey with red text and a warning beep
// when it reports an error, navy with white text otherwise; always 2000 ms.
#include <string>

#include "tabrix/ui/BannerLook.h"

namespace kv {

class CGuideMessageDlg {
 public:
  static constexpr uint32_t CLOSE_TIMER_ID = 5126;
  static constexpr uint32_t DURATION_MS = 2000;

  static BannerLook LookOf(const std::string& text, bool error) {
    BannerLook look;
    look.m_sText = text;
    look.m_uBackground = error ? BANNER_GREY : BANNER_NAVY;
    look.m_uTextColour = error ? BANNER_RED : BANNER_WHITE;
    look.m_uDurationMs = DURATION_MS;
    look.m_bBeep = error;
    return look;
  }
};

}  // namespace kv
