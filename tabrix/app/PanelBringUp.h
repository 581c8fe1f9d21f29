#pragma once
// After the search: the stored settings go to the system, the panel and the driver, and
// the hidden main window comes up with its tray icon.
#include "tabrix/app/AppShell.h"
#include "tabrix/app/AppViews.h"
#include "tabrix/app/CalibrationWnd.h"

namespace kv {

class CPanelBringUp {
 public:
  static constexpr uint32_t VERSION_TEXT_ID = 60019;
  static constexpr size_t PRODUCT_VERSION_MAX = 12;

  CPanelBringUp(CAppShell& shell, AppViews& views, CCalibrationWnd& window)
      : m_shell(shell), m_views(views), m_window(window) {}

  // false only when the main window could not be created.
  bool Run(bool driverFound);

 private:
  void ApplyMouseSettings();
  void LoadCalibration();
  void SendStoredSettings();

  CAppShell& m_shell;
  AppViews& m_views;
  CCalibrationWnd& m_window;
};

}  // namespace kv
