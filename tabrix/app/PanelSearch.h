#pragma once
// Finding the panel and its driver at start-up: the firmware link's worker, the panel's
// answer to GetCheckSum within 5 s, the driver through the service within 5 s, and, on
// systems before Windows 7, the driver installer offered once when the driver is missing.
#include "tabrix/app/AppShell.h"
#include "tabrix/app/DriverInstaller.h"

namespace kv {

class CPanelSearch {
 public:
  static constexpr uint32_t PROBE_INTERVAL_MS = 500;
  static constexpr uint32_t PROBE_LIMIT_MS = 5000;
  static constexpr uint32_t INSTALL_DRIVER_TEXT_ID = 60029;

  CPanelSearch(CAppShell& shell, CDriverInstaller& installer)
      : m_shell(shell), m_installer(installer) {}

  // The panel-connected result; *driverFound tells whether the driver answered.
  bool Run(bool* driverFound);
  // GetCheckSum every 500 ms until the panel answers or more than `limitMs` passed; the
  // matched model becomes the current one when it answers.
  bool ProbePanel(uint32_t limitMs);

 private:
  CAppShell& m_shell;
  CDriverInstaller& m_installer;
  bool m_bWorkerStarted = false;
};

}  // namespace kv
