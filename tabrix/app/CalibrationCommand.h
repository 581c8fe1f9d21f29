#pragma once
// The Calibration command (menu, hot key, the resolution notice's Yes): the selection
// dialog, then a preset, the calibration surface, or for a sensor model the sensor tool,
// after which the calibration it left is taken over.
#include <cstdint>

#include "platform/ProcessLauncher.h"
#include "tabrix/app/AppShell.h"
#include "tabrix/app/AppViews.h"
#include "tabrix/calibration/SelectionResult.h"

namespace kv {

class CCalibrationWnd;

class CCalibrationCommand {
 public:
  static constexpr uint32_t PRESET_SELECTED_ID = 57706;  // "%1" screen size has been selected.

  CCalibrationCommand(CAppShell& shell, AppViews& views, CCalibrationWnd& window)
      : m_shell(shell), m_views(views), m_window(window) {}

  void Run();
  // Starts the sensor tool, waits for it, then loads and applies what it stored; 1 when
  // it ran (or could not start), 0 when it still runs from an earlier start.
  int StartSensorCalibration(int option);

 private:
  void ApplySimple(ScreenSizePreset preset);
  void StartAdvanced(int option);

  CAppShell& m_shell;
  AppViews& m_views;
  CCalibrationWnd& m_window;
  ProcessHandle m_hSensorProcess = NO_PROCESS;
};

}  // namespace kv
