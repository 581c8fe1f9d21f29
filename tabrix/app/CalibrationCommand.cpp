#include "tabrix/app/CalibrationCommand.h"

#include "tabrix/app/CalibrationSurface.h"
#include "tabrix/app/CalibrationWnd.h"
#include "tabrix/calibration/CalibAutoSetDlg.h"
#include "tabrix/calibration/SensorCalibrationArgs.h"
#include "tabrix/driverlink/DriverLink.h"

namespace kv {

void CCalibrationCommand::Run() {
  // A second start while the dialog, the crosses or the sensor tool are up only beeps.
  if (m_window.Busy() || m_window.Calibrating()) {
    m_shell.Services().m_beeper.Beep(MBF_ICON_EXCLAMATION);
    return;
  }
  m_window.SetBusy(true);
  m_views.EnableServiceModeButton(false);
  DriverLink link(m_shell.LinkContext());
  const bool linked = link.Open() && link.TakeTouchPoint(true);
  SelectionResult result;
  bool chosen = false;
  if (linked) {
    m_window.SetSelectionOpen(true);
    chosen = m_views.RunCalibrationSelection(&result);
    m_window.SetSelectionOpen(false);
  }
  if (chosen && !m_window.Destroyed()) {
    if (result.m_iKind == SelectionResult::KIND_ADVANCED)
      StartAdvanced(result.m_iAdvancedOption);
    else
      ApplySimple(result.m_iPreset);
  }
  m_window.SetBusy(false);
  m_views.EnableServiceModeButton(true);
  if (!linked) m_window.DeviceLostGuide(true);
}

void CCalibrationCommand::ApplySimple(ScreenSizePreset preset) {
  CCalibrationStore& store = m_shell.Calibration();
  const ScreenSizePreset previous = store.ScreenSizeMode();
  store.SetScreenSizeMode(preset);
  const int applied = store.ApplyScreenSizePreset(preset);
  if (applied == 0) {
    const std::string name = CCalibAutoSetDlg::Text(m_shell.Strings(), preset);
    m_views.ShowGuideMessage(m_shell.Text(PRESET_SELECTED_ID, name), false);
    store.WriteOsdMode(preset);
  } else if (applied < 0) {
    store.SetScreenSizeMode(previous);
    m_window.DeviceLostGuide(true);
  }
}

void CCalibrationCommand::StartAdvanced(int option) {
  CCalibrationSurface& surface = m_window.Surface();
  surface.Restart();
  const uint32_t type = m_shell.CurrentModelType();
  if (type == MODEL_TYPE_FIRMWARE_4) return;
  if (type == MODEL_TYPE_FIRMWARE_3) {
    StartSensorCalibration(option);
    return;
  }
  surface.Open();
}

int CCalibrationCommand::StartSensorCalibration(int option) {
  ProcessLauncher& processes = m_shell.Services().m_processes;
  if (m_hSensorProcess != NO_PROCESS) {
    if (processes.Wait(m_hSensorProcess, 0) != WAIT_RESULT_SIGNALLED) return 0;
    processes.Close(m_hSensorProcess);
    m_hSensorProcess = NO_PROCESS;
  }
  CCalibrationStore& store = m_shell.Calibration();
  store.SetScreenSizeMode(PRESET_NONE);
  if (store.ApplyScreenSizePreset(PRESET_NONE) == 0) store.WriteOsdMode(PRESET_NONE);

  uint32_t width = 0, height = 0;
  m_shell.Services().m_display.PrimaryScreenSize(&width, &height);
  const std::string parameters = CSensorCalibrationArgs::Parameters(
      option, static_cast<int32_t>(m_shell.m_uRotation.load()), static_cast<int32_t>(width),
      static_cast<int32_t>(height));
  const std::string tool = CSensorCalibrationArgs::ToolPath(m_shell.Services().m_sProgramDir);
  // The tool owns the screen until it ends; a tool that cannot start leaves nothing to
  // wait for, and the stored calibration is taken over all the same.
  if (processes.Execute("open", tool, parameters, &m_hSensorProcess) != 0)
    m_hSensorProcess = NO_PROCESS;
  if (m_hSensorProcess != NO_PROCESS) {
    processes.Wait(m_hSensorProcess, WAIT_FOREVER);
    processes.Close(m_hSensorProcess);
    m_hSensorProcess = NO_PROCESS;
  }
  store.WriteDetailResolution(width, height);
  store.LoadCalibration(store.ScreenSizeMode(), false);
  store.ApplyCalibration(true);
  return 1;
}

}  // namespace kv
