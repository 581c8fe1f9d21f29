#include "tabrix/app/PanelSearch.h"

#include "tabrix/driverlink/DriverLink.h"
#include "tabrix/driverlink/OsType.h"

namespace kv {

bool CPanelSearch::ProbePanel(uint32_t limitMs) {
  CTPdrvServiceMode* firmware = m_shell.Firmware();
  if (!firmware) return false;
  Clock& clock = m_shell.Services().m_clock;
  const uint32_t start = clock.TickCount();
  for (;;) {
    uint32_t sum = 0, flag = 0, version = 0;
    if (firmware->GetCheckSum(&sum, &flag, &version)) break;
    if (clock.TickCount() - start > limitMs) return false;
    clock.Sleep(PROBE_INTERVAL_MS);
  }
  const std::string name = firmware->ModelName();
  const CModelTable& models = m_shell.App().Models();
  for (size_t i = 0; const ModelEntry* row = models.Row(i); ++i)
    if (FixedText(row->m_szName) == name) {
      m_shell.SetCurrentModel(row);
      break;
    }
  return true;
}

bool CPanelSearch::Run(bool* driverFound) {
  *driverFound = false;
  CAppShell& shell = m_shell;
  CTPdrvServiceMode* firmware = shell.Firmware();
  shell.App().SharedModelTable().ClearModelName();
  if (!m_bWorkerStarted && firmware) m_bWorkerStarted = firmware->StartWorker();
  bool connected = m_bWorkerStarted;
  for (int pass = 0; pass < 2; ++pass) {
    if (!ProbePanel(PROBE_LIMIT_MS)) {
      connected = false;
      break;
    }
    firmware->SetTouchPanel(0);
    *driverFound = DriverLink::StartupConnect(shell.LinkContext());
    const std::string folder = shell.ModelFolder();
    if (!*driverFound && pass == 0 && shell.Services().m_iOsType < OS_TYPE_WIN7 &&
        m_installer.Present(folder)) {
      const ModelEntry* model = shell.CurrentModel();
      shell.Box(shell.Text(INSTALL_DRIVER_TEXT_ID, model ? FixedText(model->m_szName) : ""),
                MBF_OK);
      m_installer.Run(folder, shell.Services().m_iOsType);
      continue;
    }
    connected = connected && *driverFound;
    break;
  }
  shell.m_bPanelConnected = connected;
  if (firmware) firmware->SetPanelConnected(connected);
  if (connected && shell.CurrentModel())
    shell.App().SharedModelTable().SetModelName(FixedText(shell.CurrentModel()->m_szName));
  return connected;
}

}  // namespace kv
