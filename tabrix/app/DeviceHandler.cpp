#include "tabrix/app/DeviceHandler.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "tabrix/app/ButtonWatchThread.h"
#include "tabrix/app/PanelSearch.h"
#include "tabrix/app/PanelSettingsSender.h"
#include "tabrix/app/TrayCommands.h"
#include "tabrix/driverlink/DriverLink.h"

namespace kv {

namespace {

std::string Upper(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::toupper(c)); });
  return text;
}

}  // namespace

const ModelEntry* CDeviceHandler::Match(const std::string& interfaceName) const {
  const std::string name = Upper(interfaceName);
  if (name.find("378DE44C-56EF-11D1-BC8C-00A0C91405DD") == std::string::npos) return nullptr;
  const CModelTable& models = m_shell.App().Models();
  for (size_t i = 0; const ModelEntry* row = models.Row(i); ++i) {
    char ids[32];
    std::snprintf(ids, sizeof ids, "%04X&PID_%04X", row->m_uVendorId & 0xFFFF,
                  row->m_uProductId & 0xFFFF);
    if (name.find(ids) != std::string::npos) return row;
  }
  return nullptr;
}

void CDeviceHandler::OnDeviceChange(const DeviceEvent& event) {
  const ModelEntry* model = Match(event.m_sInterfaceName);
  if (!model || m_bGuard) return;
  m_bGuard = true;
  if (event.m_bArrival) {
    m_shell.SetCurrentModel(model);
    m_shell.Calibration().LoadPresetTable();
  }
  Handle(event.m_bArrival, false);
  m_bGuard = false;
  StartupCalibrationCheck();
}

void CDeviceHandler::StartupCalibrationCheck() {
  if (!m_window.DriverOn() || m_shell.CurrentModelType() == MODEL_TYPE_FIRMWARE_4) return;
  m_shell.m_bStartupCalibration = m_shell.Settings().GetStartupCalibDisp() != 0;
  OpenStartupCalibration();
}

void CDeviceHandler::OpenStartupCalibration() {
  if (!m_window.DriverOn() || m_shell.CurrentModelType() == MODEL_TYPE_FIRMWARE_4 ||
      !m_shell.m_bStartupCalibration)
    return;
  m_window.Commands().Calibration();
  m_shell.Settings().SetStartupCalibDisp(0);
  m_shell.m_bStartupCalibration = false;
}

void CDeviceHandler::EnableButtonWatch(bool on) {
  m_shell.m_bDriverEnabled = on;
  if (on && m_pButtonWatch) m_pButtonWatch->Signal();
}

void CDeviceHandler::Lost(bool quiet) {
  m_window.SetFirmwareWords(0, 0);
  if (m_shell.Settings().GetUsbPort() != 0) m_window.SetCommandText(false);
  if (m_window.DriverOn()) {
    m_window.SwitchDriver(false);
    if (!quiet) m_views.ShowStartGuide(2);
  }
  m_shell.m_bPanelConnected = false;
}

void CDeviceHandler::Handle(bool arrival, bool quiet) {
  const ModelEntry* model = m_shell.CurrentModel();
  if (arrival && model) {
    DriverLink::QuickConnect(m_shell.LinkContext());
  } else if (!arrival) {
    DriverLink path(m_shell.LinkContext());
    path.SetUsePipe(model && !model->IsFirmwareManaged());
    path.SetDevicePath({});
  }
  DriverLink link(m_shell.LinkContext());
  const bool usable = arrival && link.Open();
  if (!usable) {
    Lost(quiet);
  } else if (!m_window.DriverOn()) {
    SettingsStore& settings = m_shell.Settings();
    CTPdrvServiceMode* firmware = m_shell.Firmware();
    if (!m_shell.m_bPanelConnected) {
      m_shell.m_bPanelConnected = true;
      if (firmware) firmware->SetPanelConnected(true);
      settings.SetUsbPort(1);
      if (firmware) firmware->SetTouchPanel(0);
    }
    uint32_t flag = 0;
    link.SetPanelState(0, &flag);
    const uint32_t usbPort = settings.GetUsbPort();
    if (!link.SetInputEnable(usbPort)) {
      Lost(quiet);
    } else {
      // A running test keeps the pen away from the desktop.
      if (m_window.TestDisplayRequested() || m_shell.App().PenInput().TestRunning()) {
        m_window.SetCommandText(false);
        link.SetInputEnable(0);
      }
      if (!quiet) m_views.ShowStartGuide(1);
      if (usbPort != 0) {
        m_window.SetCommandText(true);
        m_window.SwitchDriver(true);
      }
    }
  }
  Reapply(m_window.DriverOn());
  if (m_window.DriverOn() && m_shell.CurrentModel())
    m_shell.App().SharedModelTable().SetModelName(FixedText(m_shell.CurrentModel()->m_szName));
  else
    m_shell.App().SharedModelTable().ClearModelName();
  OpenStartupCalibration();
}

bool CDeviceHandler::ReapplyOn() {
  SettingsStore& settings = m_shell.Settings();
  CPanelSettingsSender sender(m_shell);
  CTPdrvServiceMode* firmware = m_shell.Firmware();
  uint8_t dip = 0;
  if (!firmware || !firmware->GetDipSWStatus(&dip)) return false;
  CCalibrationStore& store = m_shell.Calibration();
  store.LoadCalibration(store.ReadOsdMode(), false);
  if (!store.ApplyCalibration(false)) return false;
  if (!sender.SendRegionDetection(settings.GetRegionDetection())) return false;
  if (!sender.SendCompatibleMode()) return false;
  if (!sender.ApplyRotation(settings.GetRotationAngle())) return false;
  if (!sender.SendFunctionButtons(settings.GetPenButon())) return false;
  if (!sender.SendOsType()) return false;
  settings.GetDblClick();
  settings.GetDblClickInterval();
  if (settings.GetSingleClickType() == 1) settings.ApplyClickRange(settings.GetSingleClick());
  m_shell.Services().m_clock.Sleep(REAPPLY_SETTLE_MS);
  uint32_t inputMode = settings.GetInputMode();
  if (m_shell.Services().m_iOsType < 16) inputMode &= 0x0F;
  m_shell.App().PenInput().SetTouchMode((inputMode >> 4) & 15);
  sender.SendInputAndTouchMode(inputMode);
  return true;
}

void CDeviceHandler::Reapply(bool on) {
  if (on) {
    ReapplyOn();
    EnableButtonWatch(true);
    return;
  }
  m_shell.RestoreSystemValues();
  m_shell.m_bDriverEnabled = false;
}

void CDeviceHandler::OnSuspend() {
  m_bGuard = true;
  Handle(false, true);
  m_bGuard = false;
}

void CDeviceHandler::OnResume() {
  if (m_bGuard) return;
  CDriverInstaller installer(m_shell.Services().m_processes);
  CPanelSearch search(m_shell, installer);
  if (CTPdrvServiceMode* firmware = m_shell.Firmware()) firmware->SetPanelConnected(true);
  if (!search.ProbePanel(RESUME_PROBE_MS)) {
    Handle(false, true);
  } else {
    m_bGuard = true;
    Handle(true, true);
    m_bGuard = false;
  }
  StartupCalibrationCheck();
}

void CDeviceHandler::OnSessionChange(uint32_t code) {
  m_uLastSession = code;
  if (code == CONSOLE_CONNECT) {
    OnResume();
    EnableButtonWatch(true);
  } else if (code == SESSION_LOGON) {
    EnableButtonWatch(true);
  } else if (code == CONSOLE_DISCONNECT || code == SESSION_LOGOFF) {
    m_shell.m_bDriverEnabled = false;
    DriverLink link(m_shell.LinkContext());
    if (link.Open()) link.CancelStatusWait();
  }
}

}  // namespace kv
