#pragma once
// The test display's requests answered by the application: the current model, the panel's
// product text from the firmware link, the driver's version text from the driver
// information record, and the driver links and senders around the service mode and the
// manual calibration.
#include "tabrix/app/AppShell.h"
#include "tabrix/ui/StatusDispActions.h"

namespace kv {

class CShellStatusActions final : public StatusDispActions {
 public:
  explicit CShellStatusActions(CAppShell& shell) : m_shell(shell) {}

  const ModelEntry* CurrentModel() override { return m_shell.CurrentModel(); }
  std::string PanelProductText() override;
  std::string DriverVersionText() override;
  void RefreshDriverInfo() override;
  bool PanelConnected() override { return m_shell.m_bPanelConnected; }
  bool SendInputAndTouchMode(uint32_t value) override;
  bool SetInputEnable(uint32_t value) override;
  bool ApplyCalibration(const CalibrationValues& values) override;

 private:
  CAppShell& m_shell;
};

}  // namespace kv
