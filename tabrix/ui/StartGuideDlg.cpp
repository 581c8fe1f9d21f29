#include "tabrix/ui/StartGuideDlg.h"

namespace kv {

namespace {

constexpr uint32_t TEXT_NOT_CONNECTED = 57735;
constexpr uint32_t TEXT_CONFIGURING = 60023;
constexpr uint32_t TEXT_TESTING = 60024;

}  // namespace

CStartGuideDlg::CStartGuideDlg(const CStringTable& strings, int mode)
    : m_strings(strings), m_iMode(mode), m_look(LookOf(strings, mode)) {}

BannerLook CStartGuideDlg::LookOf(const CStringTable& strings, int mode) {
  BannerLook look;
  switch (mode) {
    case MODE_DEVICE_LOST:
      look = {strings.Get(TEXT_NOT_CONNECTED), BANNER_GREY, BANNER_RED, 3000, false};
      break;
    case MODE_CONNECTED:
      look = {strings.Get(TEXT_CONFIGURING), BANNER_NAVY, BANNER_WHITE, 7300, false};
      break;
    case MODE_TESTING:
      look = {strings.Get(TEXT_TESTING), BANNER_NAVY, BANNER_WHITE, 7300, false};
      break;
    default:
      look = {strings.Get(TEXT_NOT_CONNECTED), BANNER_GREY, BANNER_RED, 2000, false};
      break;
  }
  return look;
}

void CStartGuideDlg::EnterAgain() {
  // Only the text and the time change; the colours stay those the banner was opened with.
  m_look.m_sText = m_strings.Get(TEXT_TESTING);
  m_look.m_uDurationMs = 7300;
}

}  // namespace kv
