#include "tabrix/ui/ShellStatusActions.h"

#include "tabrix/app/PanelSettingsSender.h"
#include "tabrix/driverlink/DriverLink.h"

namespace kv {

std::string CShellStatusActions::PanelProductText() {
  CTPdrvServiceMode* firmware = m_shell.Firmware();
  return firmware ? firmware->ProductString() : std::string();
}

std::string CShellStatusActions::DriverVersionText() {
  // On Windows this is the driver file's "ProductVersion". Here the driver is no file of
  // ours to read: the version text it reports in its information record (the first 16
  // bytes of the GetDriverInfo answer, which every Open stores) stands in for it, and a
  // driver that never answered leaves it empty, as a file without version resource would.
  return m_shell.App().DriverState().DriverVersion();
}

void CShellStatusActions::RefreshDriverInfo() {
  DriverLink link(m_shell.LinkContext());
  link.Open();
}

bool CShellStatusActions::SendInputAndTouchMode(uint32_t value) {
  return CPanelSettingsSender(m_shell).SendInputAndTouchMode(value);
}

bool CShellStatusActions::SetInputEnable(uint32_t value) {
  DriverLink link(m_shell.LinkContext());
  return link.Open() && link.SetInputEnable(value);
}

bool CShellStatusActions::ApplyCalibration(const CalibrationValues& values) {
  m_shell.Calibration().Current() = values;
  return m_shell.Calibration().ApplyCalibration(false);
}

}  // namespace kv
