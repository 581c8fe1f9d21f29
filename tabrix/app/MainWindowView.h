#pragma once
// What the hidden main window's logic asks of its view: the tray icon, the window timers
// and the command window's text. The Qt view implements it; tests record the calls.
#include <cstdint>
#include <string>
#include <vector>

#include "tabrix/app/ChangeDisplayView.h"
#include "tabrix/app/TrayMenu.h"

namespace kv {

class MainWindowView {
 public:
  virtual ~MainWindowView() = default;
  // Shell_NotifyIcon NIM_ADD / NIM_MODIFY / NIM_DELETE of the one icon (id 129); false
  // when the shell did not take it (no tray yet).
  virtual bool AddTrayIcon(uint32_t iconId, const std::string& tip) = 0;
  virtual bool ModifyTrayIcon(uint32_t iconId, const std::string& tip) = 0;
  virtual void DeleteTrayIcon() = 0;
  virtual void StartTimer(uint32_t id, uint32_t ms) = 0;
  virtual void StopTimer(uint32_t id) = 0;
  virtual void SetCommandWindowText(const std::string& text) = 0;
  // Shows the menu at the mouse and waits for a choice: its id, 0 when none was made.
  virtual uint32_t ShowMenu(const std::vector<TrayMenuItem>& items) = 0;
  // PostMessage of a menu command to this window: it runs from the message loop, after
  // the caller has returned.
  virtual void PostCommand(uint32_t id) = 0;
  // Ends the message loop once the window is destroyed.
  virtual void Quit() = 0;
  // The resolution notice's dialog (resource 214), owned by the view; null when the view
  // has none.
  virtual ChangeDisplayView* DisplayChangeView() { return nullptr; }
};

}  // namespace kv
