#include "tabrix/ui/DblClickIntervalSetPage.h"

namespace kv {

int32_t CDblClickIntervalSetPage::ClampPosition(int32_t position) {
  if (position < SLIDER_MIN) return SLIDER_MIN;
  if (position > SLIDER_MAX) return SLIDER_MAX;
  return position;
}

int32_t CDblClickIntervalSetPage::PositionFor(uint32_t intervalMs) {
  // A stored time far outside the slider's range must not wrap into it.
  if (intervalMs >= static_cast<uint32_t>(SLIDER_SUM - SLIDER_MIN)) return SLIDER_MIN;
  return ClampPosition(SLIDER_SUM - static_cast<int32_t>(intervalMs));
}

void CDblClickIntervalSetPage::Initialise() {
  m_iSlider = PositionFor(m_settings.GetDblClickInterval());
}

void CDblClickIntervalSetPage::OnClickAuto() {
  if (!m_bSingleTouch) return;
  const uint32_t now = m_clock.TickCount();
  if (!m_auto.m_bSet) {
    m_auto = {true, now};
    return;
  }
  const uint32_t elapsed = now - m_auto.m_uTick;  // wraps like the tick count
  if (elapsed >= AUTO_MIN_MS && elapsed <= AUTO_MAX_MS) {
    m_iSlider = PositionFor(elapsed);
    m_auto = {};
  } else {
    m_auto = {true, now};
  }
}

bool CDblClickIntervalSetPage::OnClickTest() {
  if (!m_bSingleTouch) return false;
  const uint32_t now = m_clock.TickCount();
  if (!m_test.m_bSet || now - m_test.m_uTick > IntervalMs()) {
    m_test = {true, now};
    return false;
  }
  m_bTestOpen = !m_bTestOpen;
  m_test = {};
  return true;
}

void CDblClickIntervalSetPage::OnOk() {
  if (!m_bSingleTouch) return;
  m_settings.SetDblClickInterval(IntervalMs());
}

}  // namespace kv
