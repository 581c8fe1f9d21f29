#pragma once
// One tray program per session: a second start finds the instance mutex held and warns,
// or brings the warning already shown to the front; "/Quit" asks the running instance's
// windows to close.
#include <string>

#include "tabrix/app/AppShell.h"

namespace kv {

class CInstanceGuard {
 public:
  static constexpr uint32_t WARNING_TEXT_ID = 57346;     // "The %1 has already been started."
  static constexpr uint32_t WARNING_CAPTION_ID = 57356;  // "Second Instance Warning"

  explicit CInstanceGuard(CAppShell& shell) : m_shell(shell) {}

  // True when this process is now the instance (mutex taken, its process id published).
  // False after the warning: shown here, or the box another start shows brought forward.
  bool Claim();
  // "/Quit": WM_CLOSE to every top-level window of the running instance's process.
  void CloseRunningInstance();

 private:
  CAppShell& m_shell;
};

}  // namespace kv
