#include "tabrix/app/CalibrationWnd.h"

#include "tabrix/driverlink/DriverLink.h"

namespace kv {

namespace {
constexpr int32_t OS_TYPE_WIN2000 = 12;
}

void CCalibrationWnd::OnCreate(MainWindowView& view) {
  m_pView = &view;
  view.StartTimer(TIMER_FIRST_ADD, FIRST_ADD_MS);
  if (!m_shell.m_bPanelConnected) m_bDriverOn = false;
  SetCommandText(m_bDriverOn);
  m_shell.m_bStartupCalibration = m_shell.Settings().GetStartupCalibDisp() != 0;
}

std::string CCalibrationWnd::Tooltip() const {
  std::string tip = m_shell.Text(TOOLTIP_ID, m_shell.Title());
  if (tip.size() > TOOLTIP_MAX) tip.resize(TOOLTIP_MAX);
  return tip;
}

uint32_t CCalibrationWnd::CurrentIcon() const {
  TrayIconState s;
  s.m_bDriverOn = m_bDriverOn;
  s.m_bDual = m_shell.App().PenInput().TouchMode() != 0;
  s.m_bWin2000 = m_shell.Services().m_iOsType == OS_TYPE_WIN2000;
  s.m_bRotated = m_shell.m_uRotation != 0;
  s.m_bTesting = m_shell.App().PenInput().TestRunning();
  return CTrayIconTable::IconFor(s);
}

void CCalibrationWnd::OnTimer(uint32_t id) {
  if (!m_pView) return;
  if (id == TIMER_FIRST_ADD) {
    // The shell may answer late; a second tick meanwhile must not add a second icon.
    if (m_bAddInProgress) return;
    m_bAddInProgress = true;
    if (m_pView->AddTrayIcon(CTrayIconTable::FIRST_ADD_ICON, Tooltip())) {
      m_bIconAdded = true;
      m_pView->StopTimer(TIMER_FIRST_ADD);
      m_bDriverOn = m_shell.m_bPanelConnected;
      UpdateIcon();
    }
    m_bAddInProgress = false;
  } else if (id == TIMER_RETRY) {
    m_pView->StopTimer(TIMER_RETRY);
    UpdateIcon();
  }
}

void CCalibrationWnd::UpdateIcon() {
  if (!m_pView) return;
  const uint32_t icon = CurrentIcon();
  bool ok = m_bIconAdded ? m_pView->ModifyTrayIcon(icon, Tooltip())
                         : m_pView->AddTrayIcon(icon, Tooltip());
  if (ok) m_bIconAdded = true;
  m_shell.App().SharedDriverTable().SetDriverOn(m_bDriverOn ? 1 : 0);
  if (ok) {
    m_iRetryCount = -1;
    return;
  }
  if (m_iRetryCount < 0) m_iRetryCount = RETRIES;
  if (m_iRetryCount > 0) {
    m_pView->StartTimer(TIMER_RETRY, RETRY_MS);
    --m_iRetryCount;
  }
}

void CCalibrationWnd::SetCommandText(bool on) {
  m_sCommandText = on ? m_shell.Names().m_sCommandText : std::string();
  if (m_pView) m_pView->SetCommandWindowText(m_sCommandText);
}

void CCalibrationWnd::OnClose() {
  // Only a window that was created has anything to put back.
  if (m_bDestroyed || !m_pView) return;
  m_bDestroyed = true;
  m_shell.m_bRun = false;
  if (CTPdrvServiceMode* firmware = m_shell.Firmware()) {
    firmware->SetTouchPanel(1);
    firmware->StopWorker();
  }
  m_pView->StopTimer(TIMER_FIRST_ADD);
  m_pView->StopTimer(TIMER_RETRY);
  m_pView->DeleteTrayIcon();
  m_pView->SetCommandWindowText({});
  m_bIconAdded = false;
  DriverLink::Disconnect(m_shell.LinkContext());
  m_pView->Quit();
}

}  // namespace kv
