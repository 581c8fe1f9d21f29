#include "tabrix/app/TrayCommands.h"

#include "tabrix/app/CalibrationCommand.h"
#include "tabrix/app/ChangeDisplayDlg.h"
#include "tabrix/app/PanelSettingsSender.h"
#include "tabrix/app/PanelSearch.h"
#include "tabrix/app/TrayMenu.h"
#include "tabrix/driverlink/DriverLink.h"
#include "tabrix/driverlink/OsType.h"

namespace kv {

namespace {
constexpr uint32_t REFUSE_ROTATE_OLD_ID = 57740, REFUSE_ROTATE_ID = 57743;
constexpr uint32_t REFUSE_EXIT_OLD_ID = 57742, REFUSE_EXIT_ID = 57744;
}  // namespace

void CTrayCommands::OnCommand(uint32_t id) {
  const int angle = CTrayMenu::AngleOf(id);
  if (angle >= 0) return Rotate(static_cast<uint32_t>(angle));
  switch (id) {
    case CTrayMenu::ID_RESOLUTION: return SaveMemoryLog();
    case CTrayMenu::ID_CALIBRATION: return Calibration();
    case CTrayMenu::ID_PROPERTIES: return Properties();
    case CTrayMenu::ID_TEST_DISPLAY: return TestDisplay();
    case CTrayMenu::ID_DRIVER_OFF: SwitchDriver(); return;
    case CTrayMenu::ID_VERSION: return About();
    case CTrayMenu::ID_EXIT: return Exit();
    default: return;
  }
}

void CTrayCommands::SaveMemoryLog() {
  const std::string file = m_shell.Settings().GetLogFileName();
  if (file.empty()) return;
  if (m_shell.MemoryLog().WriteToFile(file)) m_shell.MemoryLog().Clear();
}

void CTrayCommands::Calibration() { m_window.CalibrationCommand().Run(); }

void CTrayCommands::Properties() {
  CBusy busy(*this);
  if (!m_views.ShowProperties()) return;
  m_window.SetPenButton(m_shell.Settings().GetPenButon());
  m_shell.Calibration().ApplyCalibration(false);
  m_window.UpdateIcon();
}

void CTrayCommands::TestDisplay() {
  m_window.SetTestDisplayRequested(true);
  m_views.ShowTestDisplay();
}

void CTrayCommands::About() {
  CBusy busy(*this);
  m_views.ShowAbout();
}

void CTrayCommands::Exit() {
  CBusy busy(*this);
  const bool old = m_shell.Services().m_iOsType < OS_TYPE_VISTA;
  if (m_window.DisplayChangeShown()) {
    m_shell.Box(m_shell.Text(old ? REFUSE_EXIT_OLD_ID : REFUSE_EXIT_ID), MBF_ICON_HAND);
    return;
  }
  if (m_shell.Box(m_shell.Text(ASK_EXIT_ID), MBF_YES_NO | MBF_ICON_QUESTION) == MBR_YES)
    m_window.OnClose();
}

void CTrayCommands::Rotate(uint32_t degrees) {
  const bool old = m_shell.Services().m_iOsType < OS_TYPE_VISTA;
  if (m_window.DisplayChangeShown()) {
    m_shell.Box(m_shell.Text(old ? REFUSE_ROTATE_OLD_ID : REFUSE_ROTATE_ID), MBF_ICON_HAND);
    return;
  }
  if (!m_window.DriverOn()) {
    m_shell.Box(m_shell.Text(NOT_ENABLED_ID), MBF_ICON_HAND);
    return;
  }
  SettingsStore& settings = m_shell.Settings();
  if (degrees == settings.GetRotationAngle()) {
    settings.SetRotationAngle(degrees);
    return;
  }
  CBusy busy(*this);
  if (m_shell.Box(m_shell.Text(ASK_ROTATE_ID), MBF_YES_NO | MBF_ICON_QUESTION) != MBR_YES) return;
  if (!CPanelSettingsSender(m_shell).ApplyRotation(degrees)) {
    if (m_window.DriverOn())
      m_window.DeviceLostGuide(true);
    else
      m_views.ShowGuideMessage(m_shell.Text(CHECK_CONNECTION_ID), true);
    return;
  }
  if (CChangeDisplayDlg* notice = m_window.DisplayNotice()) notice->RefreshAnswers();
  if (!m_window.DriverOn()) return;
  settings.SetRotationAngle(degrees);
  m_shell.Calibration().ApplyCalibration(false);
  if (CTPdrvServiceMode* firmware = m_shell.Firmware())
    firmware->SetChangeAreaMode((degrees == 90 || degrees == 270) ? 1 : 0);
  m_window.SwitchDriver(true);
}

bool CTrayCommands::ProbePanel() {
  CTPdrvServiceMode* firmware = m_shell.Firmware();
  if (!firmware) return false;
  m_shell.m_bPanelConnected = true;
  firmware->SetPanelConnected(true);
  CDriverInstaller installer(m_shell.Services().m_processes);
  return CPanelSearch(m_shell, installer).ProbePanel(CPanelSearch::PROBE_LIMIT_MS);
}

bool CTrayCommands::SwitchFirmwareModel(bool wasOn) {
  CTPdrvServiceMode* firmware = m_shell.Firmware();
  if (!wasOn) {
    if (!firmware->SetTouchPanel(0)) return false;
    m_window.SetCommandText(true);
    m_window.SwitchDriver(true);
    return true;
  }
  CBusy busy(*this);
  if (m_shell.Box(m_shell.Text(ASK_DRIVER_OFF_ID), MBF_YES_NO | MBF_ICON_QUESTION) != MBR_YES)
    return true;
  firmware->SetTouchPanel(1);
  m_window.SetCommandText(false);
  m_window.SwitchDriver(false);
  return false;
}

bool CTrayCommands::SwitchDriverModel(bool wasOn) {
  if (!DriverLink::QuickConnect(m_shell.LinkContext())) return false;
  DriverLink link(m_shell.LinkContext());
  if (!link.Open()) return false;
  CBusy busy(*this);
  if (wasOn) {
    if (m_shell.Box(m_shell.Text(ASK_DRIVER_OFF_ID), MBF_YES_NO | MBF_ICON_QUESTION) != MBR_YES)
      return true;
    m_window.SetCommandText(false);
    m_window.SwitchDriver(false);
  } else {
    m_window.SetCommandText(true);
    m_window.SwitchDriver(true);
  }
  if (!link.SetInputEnable(m_window.DriverOn() ? 1 : 0)) return false;
  if (m_window.DriverOn() && m_shell.CurrentModel())
    m_shell.App().SharedModelTable().SetModelName(FixedText(m_shell.CurrentModel()->m_szName));
  return m_window.DriverOn();
}

bool CTrayCommands::SwitchDriver() {
  const bool wasOn = m_window.DriverOn();
  m_shell.App().SharedModelTable().ClearModelName();
  bool on = false;
  if (ProbePanel()) {
    const uint32_t type = m_shell.CurrentModelType();
    if (type == MODEL_TYPE_FIRMWARE_4)
      on = wasOn;
    else if (type == MODEL_TYPE_FIRMWARE_3)
      on = SwitchFirmwareModel(wasOn);
    else
      on = SwitchDriverModel(wasOn);
  }
  m_shell.m_bPanelConnected = on;
  if (!on && !wasOn) {
    // Switching on failed: the icon must say so, and the user why.
    m_window.DeviceLostGuide(true);
    m_shell.Settings().SetUsbPort(m_window.DriverOn() ? 1 : 0);
  }
  return on;
}

}  // namespace kv
