#include "tabrix/app/CalibrationSurface.h"

#include <string>

#include "tabrix/app/CalibrationWnd.h"
#include "tabrix/app/PanelSettingsSender.h"
#include "tabrix/driverlink/DriverLink.h"

namespace kv {

const char* CCalibrationSurface::StateName(TargetState state) {
  switch (state) {
    case TARGET_TOP_LEFT: return "TARGET_TOP_LEFT";
    case TARGET_BOTTOM_LEFT: return "TARGET_BOTTOM_LEFT";
    case TARGET_BOTTOM_RIGHT: return "TARGET_BOTTOM_RIGHT";
    case TARGET_TOP_RIGHT: return "TARGET_TOP_RIGHT";
    case CHECKING_TOUCHES: return "CHECKING_TOUCHES";
    case ASKING_APPLY: return "ASKING_APPLY";
  }
  return "?";
}

CCalibrationGeometry CCalibrationSurface::Geometry() const {
  uint32_t width = 0, height = 0;
  m_shell.Services().m_display.PrimaryScreenSize(&width, &height);
  return CCalibrationGeometry(static_cast<int32_t>(width), static_cast<int32_t>(height));
}

void CCalibrationSurface::MoveTo(TargetState next) {
  if (next != m_state) {
    // The memory log shows how far a user got when a calibration went wrong.
    const std::string line = std::string("Calibration ") + StateName(m_state) + " -> " + StateName(next);
    m_shell.MemoryLog().AppendWithTime(line.c_str());
  }
  m_state = next;
}

void CCalibrationSurface::Restart() {
  m_uMessageId = TOUCH_TEXT_ID;
  MoveTo(TARGET_TOP_LEFT);
}

bool CCalibrationSurface::Open() {
  // Multi-touch would report a second finger as the pen: single touch while calibrating.
  const uint32_t mode = m_shell.Settings().GetInputMode();
  if (!CPanelSettingsSender(m_shell).SendInputAndTouchMode(mode & ~TOUCH_MODE_BITS)) return false;
  m_shell.Calibration().SetCalibrationMode(true);
  if (m_shell.App().DriverState().CalibrationMode() == 0) return false;
  ShowSurface(true);
  SetCursorHidden(true);
  return true;
}

void CCalibrationSurface::OnLeftButtonUp() {
  DriverLink link(m_shell.LinkContext());
  if (!link.Open() || !link.TakeTouchPoint(false)) {
    m_window.DeviceLostGuide(true);
    return;
  }
  const CDriverState& driver = m_shell.App().DriverState();
  const int32_t rawX = driver.TouchX(), rawY = driver.TouchY();
  // The driver reports -1 while it has seen no pen since calibration mode began.
  if (rawX < 0 || rawY < 0) return;
  const CCalibrationGeometry geometry = Geometry();
  m_lastTouch = geometry.ToScreen(rawX, rawY);
  if (m_state < CHECKING_TOUCHES)
    OnTargetTouched(geometry, m_lastTouch);
  else if (m_state == ASKING_APPLY)
    ApplyAnswered();
}

void CCalibrationSurface::OnTargetTouched(const CCalibrationGeometry& geometry, ScreenPoint p) {
  const int index = m_state;
  // The driver repeats its last point until the pen lands again.
  if (index > 0 && p == m_touches[static_cast<size_t>(index - 1)]) return;
  if (!geometry.InQuadrant(index, p)) return;
  m_touches[static_cast<size_t>(index)] = p;
  const TargetState next = static_cast<TargetState>(index + 1);
  MoveTo(next);
  if (next < CHECKING_TOUCHES) {
    if (m_uMessageId == ERROR_TEXT_ID) SetMessage(TOUCH_TEXT_ID);
    Invalidate(geometry.BoxArea(index));
    Invalidate(geometry.BoxArea(next));
    return;
  }
  Invalidate(geometry.BoxArea(TARGET_TOP_RIGHT));
  CheckTouches(geometry);
}

void CCalibrationSurface::CheckTouches(const CCalibrationGeometry& geometry) {
  CCalibrationStore& store = m_shell.Calibration();
  if (!CCalibrationGeometry::TouchesInOrder(m_touches)) {
    // Only a screen that changed size between touches gets here.
    m_shell.Services().m_beeper.Beep(MBF_ICON_EXCLAMATION);
    MoveTo(TARGET_TOP_LEFT);
    Invalidate(geometry.BoxArea(TARGET_TOP_RIGHT));
    SetMessage(ERROR_TEXT_ID);
    Invalidate(geometry.FirstTargetArea());
    return;
  }
  MoveTo(ASKING_APPLY);
  SetCursorHidden(false);
  store.SetCalibrationMode(false);
  const int answer = Ask(ASK_APPLY_ID);
  // A touch while the question showed has answered it already.
  if (m_state != ASKING_APPLY) return;
  if (answer == MBR_YES) {
    ComputeAndApply();
    ShowSurface(false);
    MoveTo(TARGET_TOP_LEFT);
    RestoreTouchMode();
    return;
  }
  store.SetCalibrationMode(true);
  SetCursorHidden(true);
  MoveTo(TARGET_TOP_LEFT);
  Invalidate(geometry.BoxArea(TARGET_TOP_RIGHT));
  Invalidate(geometry.BoxArea(TARGET_TOP_LEFT));
}

void CCalibrationSurface::ApplyAnswered() {
  ComputeAndApply();
  m_shell.Calibration().SetCalibrationMode(false);
  ShowSurface(false);
  SetCursorHidden(false);
  MoveTo(TARGET_TOP_LEFT);
  RestoreTouchMode();
}

void CCalibrationSurface::ComputeAndApply() {
  CCalibrationStore& store = m_shell.Calibration();
  store.Current() = CCalibrationGeometry::Compute(Geometry().Corners(), m_touches);
  if (store.ApplyCalibration(true)) return;
  if (m_window.DriverOn())
    m_window.DeviceLostGuide(true);
  else
    m_views.ShowGuideMessage(m_shell.Text(NOT_CONNECTED_ID), true);
}

void CCalibrationSurface::OnChar(uint32_t code) {
  if (code != ESCAPE || m_shell.App().DriverState().CalibrationMode() == 0) return;
  CCalibrationStore& store = m_shell.Calibration();
  SetCursorHidden(false);
  store.SetCalibrationMode(false);
  if (Ask(ASK_EXIT_ID) == MBR_YES) {
    ShowSurface(false);
    RestoreTouchMode();
    // The driver gets back the calibration it had before.
    store.ApplyCalibration(false);
    MoveTo(TARGET_TOP_LEFT);
    return;
  }
  store.SetCalibrationMode(true);
  SetCursorHidden(true);
  SetMessage(TOUCH_TEXT_ID);
  MoveTo(TARGET_TOP_LEFT);
  if (m_pView) m_pView->InvalidateAll();
}

void CCalibrationSurface::RestoreTouchMode() {
  const uint32_t mode = m_shell.Settings().GetInputMode();
  if (mode & TOUCH_MODE_BITS) CPanelSettingsSender(m_shell).SendInputAndTouchMode(mode);
}

int CCalibrationSurface::Ask(uint32_t textId) {
  return m_shell.Box(m_shell.Text(textId),
                     MBF_YES_NO | MBF_ICON_QUESTION | MBF_SET_FOREGROUND | MBF_TOPMOST);
}

void CCalibrationSurface::SetMessage(uint32_t id) {
  m_uMessageId = id;
  if (m_pView) m_pView->SetMessage(m_shell.Text(id));
}

void CCalibrationSurface::ShowSurface(bool shown) {
  m_window.SetCalibrating(shown);
  if (!m_pView) return;
  if (shown) {
    m_pView->SetMessage(m_shell.Text(m_uMessageId));
    m_pView->ShowMaximized();
  } else {
    m_pView->Hide();
  }
}

void CCalibrationSurface::SetCursorHidden(bool hidden) {
  if (m_pView) m_pView->SetCursorHidden(hidden);
}

void CCalibrationSurface::Invalidate(const ScreenRect& area) {
  if (m_pView) m_pView->Invalidate(area);
}

}  // namespace kv
