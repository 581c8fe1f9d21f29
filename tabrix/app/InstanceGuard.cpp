#include "tabrix/app/InstanceGuard.h"

namespace kv {

bool CInstanceGuard::Claim() {
  CRivelleApp& app = m_shell.App();
  AppServices& services = m_shell.Services();
  if (CRivelleApp::InstanceRunning(services.m_paths)) {
    const std::string caption = m_shell.Strings().Get(WARNING_CAPTION_ID);
    WindowId shown = services.m_windows.FindWindow(nullptr, &caption);
    if (shown != 0) {
      services.m_windows.SetForeground(shown);
      return false;
    }
    services.m_messageBoxes.Show(m_shell.Text(WARNING_TEXT_ID, m_shell.Title()), caption,
                                 MBF_ICON_HAND | MBF_SET_FOREGROUND | MBF_TOPMOST);
    return false;
  }
  // Between the look and the take another start may have won: then it is the instance.
  if (!app.ClaimInstance(services.m_uProcessId)) return false;
  return true;
}

void CInstanceGuard::CloseRunningInstance() {
  CRivelleApp& app = m_shell.App();
  AppServices& services = m_shell.Services();
  if (!CRivelleApp::InstanceRunning(services.m_paths)) return;
  const uint32_t pid = app.RunningInstanceProcessId();
  if (pid == 0) return;  // no shared driver table: nothing tells which process it is
  for (WindowId window : services.m_windows.WindowsOfProcess(pid))
    services.m_windows.PostMessage(window, WINDOW_MESSAGE_CLOSE, 0, 0);
}

}  // namespace kv
