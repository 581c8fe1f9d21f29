#pragma once
// The panel coming and going: device arrival and removal, suspend and resume, console
// and logon sessions. Each brings the program to the state the panel is really in: the
// driver connected and every setting sent again, or driver off with the guide banner.
#include <cstdint>
#include <string>

#include "platform/DeviceWatch.h"
#include "tabrix/app/AppShell.h"
#include "tabrix/app/AppViews.h"
#include "tabrix/app/CalibrationWnd.h"

namespace kv {

class CButtonWatchThread;

class CDeviceHandler {
 public:
  static constexpr uint32_t RESUME_PROBE_MS = 30000;
  static constexpr uint32_t REAPPLY_SETTLE_MS = 500;
  // WTS session change codes.
  static constexpr uint32_t CONSOLE_CONNECT = 1, CONSOLE_DISCONNECT = 2;
  static constexpr uint32_t SESSION_LOGON = 5, SESSION_LOGOFF = 6;

  CDeviceHandler(CAppShell& shell, AppViews& views, CCalibrationWnd& window,
                 CButtonWatchThread* buttonWatch)
      : m_shell(shell), m_views(views), m_window(window), m_pButtonWatch(buttonWatch) {}

  // The model whose vendor and product the interface name carries (with the mouse
  // interface class); null for any other device.
  const ModelEntry* Match(const std::string& interfaceName) const;
  // WM_DEVICECHANGE.
  void OnDeviceChange(const DeviceEvent& event);
  void Handle(bool arrival, bool quiet);
  void Reapply(bool on);
  void OnSuspend();
  void OnResume();
  void OnSessionChange(uint32_t code);
  bool Guarded() const { return m_bGuard; }
  uint32_t LastSessionEvent() const { return m_uLastSession; }

 private:
  void EnableButtonWatch(bool on);
  // Reads "StartupCalibDisp" anew, then as OpenStartupCalibration.
  void StartupCalibrationCheck();
  // The calibration selection once, when the start-up flag asks for it.
  void OpenStartupCalibration();
  void Lost(bool quiet);
  bool ReapplyOn();

  CAppShell& m_shell;
  AppViews& m_views;
  CCalibrationWnd& m_window;
  CButtonWatchThread* m_pButtonWatch;
  bool m_bGuard = false;
  uint32_t m_uLastSession = 0;
};

}  // namespace kv
