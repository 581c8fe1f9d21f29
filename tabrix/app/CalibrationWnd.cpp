#include "tabrix/app/CalibrationWnd.h"

#include "tabrix/app/CalibrationCommand.h"
#include "tabrix/app/CalibrationSurface.h"
#include "tabrix/app/ChangeDisplayDlg.h"
#include "tabrix/app/DeviceHandler.h"
#include "tabrix/app/HotKeyDispatcher.h"
#include "tabrix/app/TrayCommands.h"
#include "tabrix/driverlink/DriverLink.h"
#include "tabrix/driverlink/OsType.h"

namespace kv {

CCalibrationWnd::CCalibrationWnd(CAppShell& shell, AppViews& views)
    : m_shell(shell), m_views(views),
      m_pCommands(std::make_unique<CTrayCommands>(shell, views, *this)),
      m_pDevices(std::make_unique<CDeviceHandler>(shell, views, *this, &shell.ButtonWatch())),
      m_pKeys(std::make_unique<CHotKeyDispatcher>(shell, views, *this, shell.Services().m_hotKeys)),
      m_pSurface(std::make_unique<CCalibrationSurface>(shell, views, *this)),
      m_pCalibration(std::make_unique<CCalibrationCommand>(shell, views, *this)) {}

CCalibrationWnd::~CCalibrationWnd() = default;

TrayMenuState CCalibrationWnd::MenuState() const {
  TrayMenuState s;
  s.m_bDriverOn = m_bDriverOn;
  s.m_bBusy = m_bBusy;
  s.m_bTestDisplayRequested = m_bTestDisplayRequested;
  s.m_uModelType = m_shell.CurrentModelType();
  s.m_uStoredRotation = m_shell.Settings().GetRotationAngle();
  s.m_mode = m_shell.Services().m_display.CurrentMode();
  return s;
}

void CCalibrationWnd::OnTrayClick() {
  if (!m_pView) return;
  {
    std::lock_guard<std::mutex> lock(m_menuMutex);
    if (m_bMenuOpen) return;
    m_bMenuOpen = true;
  }
  const uint32_t chosen = m_pView->ShowMenu(CTrayMenu::Build(MenuState(), m_shell.Strings()));
  {
    std::lock_guard<std::mutex> lock(m_menuMutex);
    m_bMenuOpen = false;
  }
  if (chosen != 0 && !m_bDestroyed) m_pCommands->OnCommand(chosen);
}

void CCalibrationWnd::OnCreate(MainWindowView& view) {
  m_pView = &view;
  view.StartTimer(TIMER_FIRST_ADD, FIRST_ADD_MS);
  if (!m_shell.m_bPanelConnected) m_bDriverOn = false;
  SetCommandText(m_bDriverOn);
  if (ChangeDisplayView* notice = view.DisplayChangeView())
    m_pDisplayNotice = std::make_unique<CChangeDisplayDlg>(m_shell, *this, *notice);
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
  } else {
    if (m_iRetryCount < 0) m_iRetryCount = RETRIES;
    if (m_iRetryCount > 0) {
      m_pView->StartTimer(TIMER_RETRY, RETRY_MS);
      --m_iRetryCount;
    }
  }
  if (m_pDisplayNotice) m_pDisplayNotice->CheckDriverState();
}

void CCalibrationWnd::SetCommandText(bool on) {
  m_sCommandText = on ? m_shell.Names().m_sCommandText : std::string();
  if (m_pView) m_pView->SetCommandWindowText(m_sCommandText);
}

void CCalibrationWnd::DeviceLostGuide(bool showDialog) {
  SetCommandText(false);
  m_shell.m_bDriverEnabled = false;
  SwitchDriver(false);
  if (showDialog) m_views.ShowStartGuide(0);
}

void CCalibrationWnd::StopButtonWatch() {
  CButtonWatchThread& watch = m_shell.ButtonWatch();
  // It may sit in the driver's status wait: cancel that, wake it, give it 100 ms; ten times.
  for (int i = 0; i < 10 && watch.Alive(); ++i) {
    if (m_shell.m_bDriverEnabled) {
      DriverLink link(m_shell.LinkContext());
      if (link.Open()) link.CancelStatusWait();
    }
    watch.Signal();
    watch.WaitEnd(100);
  }
}

void CCalibrationWnd::OnClose() {
  // Only a window that was created has anything to put back.
  if (m_bDestroyed || !m_pView) return;
  m_bDestroyed = true;
  m_pKeys->UnregisterAll();
  m_shell.m_bRun = false;
  StopButtonWatch();
  if (CTPdrvServiceMode* firmware = m_shell.Firmware()) {
    firmware->SetTouchPanel(1);
    firmware->StopWorker();
  }
  m_pView->StopTimer(TIMER_FIRST_ADD);
  m_pView->StopTimer(TIMER_RETRY);
  m_pView->DeleteTrayIcon();
  m_pView->SetCommandWindowText({});
  if (m_pDisplayNotice) m_pDisplayNotice->OnDestroy();
  m_bIconAdded = false;
  DriverLink::Disconnect(m_shell.LinkContext());
  m_pView->Quit();
}

}  // namespace kv
