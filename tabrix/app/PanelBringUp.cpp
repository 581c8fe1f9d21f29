#include "tabrix/app/PanelBringUp.h"

#include "tabrix/app/PanelSettingsSender.h"

namespace kv {

namespace {
constexpr int32_t OS_TYPE_WIN7 = 16;
}

void CPanelBringUp::ApplyMouseSettings() {
  SettingsStore& settings = m_shell.Settings();
  if (settings.GetSingleClickType() == 1) settings.ApplyClickRange(settings.GetSingleClick());
  m_shell.Calibration().LoadPresetTable();
  // Their getters apply them to the system.
  settings.GetDblClick();
  settings.GetDblClickInterval();
  const uint32_t inputMode = settings.GetInputMode();
  uint32_t touchMode = (inputMode >> 4) & 15;
  if (m_shell.m_bPanelConnected && m_shell.Services().m_iOsType < OS_TYPE_WIN7) touchMode = 0;
  m_shell.App().PenInput().SetTouchMode(touchMode);
}

void CPanelBringUp::LoadCalibration() {
  CCalibrationStore& store = m_shell.Calibration();
  store.LoadCalibration(store.ReadOsdMode(), false);
  // Type 3 panels report positions scaled by the preset in use.
  const CalibrationValues& preset = store.LastPresetValues();
  m_shell.App().PenInput().SetSizeFactors(preset.m_dRatioX, preset.m_dRatioY);
  m_window.SetPenButton(m_shell.Settings().GetPenButon());
}

bool CPanelBringUp::Run(bool driverFound) {
  SettingsStore& settings = m_shell.Settings();
  CPanelSettingsSender sender(m_shell);
  ApplyMouseSettings();
  if (!m_views.CreateMainWindow(m_window)) return false;
  LoadCalibration();
  const bool connected = m_shell.m_bPanelConnected;
  if (connected) {
    m_shell.m_bDriverEnabled = true;
    m_shell.ButtonWatch().Signal();
  }
  if (driverFound && m_shell.Calibration().ApplyCalibration(true))
    sender.SendFunctionButtons(settings.GetPenButon());
  settings.SetTabrixVersion(m_shell.Strings().Get(VERSION_TEXT_ID));
  if (!connected || !driverFound) m_shell.m_bPanelConnected = false;
  settings.SetUsbPort(m_shell.m_bPanelConnected ? 1 : 0);
  SendStoredSettings();
  std::string version;
  m_shell.Services().m_version.Query("ProductVersion", &version);
  if (version.size() > PRODUCT_VERSION_MAX) version.resize(PRODUCT_VERSION_MAX);
  m_shell.App().SharedDriverTable().SetProductVersion(version);
  if (m_shell.m_bPanelConnected) {
    if (m_shell.CurrentModelType() != MODEL_TYPE_FIRMWARE_4 && m_shell.m_bStartupCalibration) {
      settings.SetStartupCalibDisp(0);
      m_shell.m_bStartupCalibration = false;
    }
    sender.SendOsType();
  }
  return true;
}

void CPanelBringUp::SendStoredSettings() {
  SettingsStore& settings = m_shell.Settings();
  CPanelSettingsSender sender(m_shell);
  const bool connected = m_shell.m_bPanelConnected;
  m_shell.App().DriverState().SetStatusFlags(0);
  settings.SetPenButon(settings.GetPenButon());
  settings.SetCalibDisp(settings.GetCalibDisp());
  if (connected) {
    const uint32_t inputMode = settings.GetInputMode();
    if (sender.SendInputAndTouchMode(inputMode)) settings.SetInputMode(inputMode);
    sender.SendCompatibleMode();
  }
  const uint32_t region = settings.GetRegionDetection();
  if (connected && sender.SendRegionDetection(region)) settings.SetRegionDetection(region);
  const uint32_t rotation = settings.GetRotationAngle();
  if (connected && sender.ApplyRotation(rotation)) settings.SetRotationAngle(rotation);
}

}  // namespace kv
