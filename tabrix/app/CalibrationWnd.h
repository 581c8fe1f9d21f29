#pragma once
// The hidden main window of the tray program: it owns the tray icon and keeps it true to
// the pen's state (driver on or off, rotated, testing), and its destruction puts the
// panel and the driver back to rest before the program ends. The same window becomes the
// full-screen calibration surface.
#include <cstdint>
#include <string>

#include "tabrix/app/AppShell.h"
#include "tabrix/app/AppViews.h"
#include "tabrix/app/MainWindowView.h"
#include "tabrix/app/TrayIconTable.h"

namespace kv {

class CCalibrationWnd {
 public:
  static constexpr uint32_t TRAY_ICON_ID = 129;
  static constexpr uint32_t TIMER_FIRST_ADD = 1;
  static constexpr uint32_t TIMER_RETRY = 3;
  static constexpr uint32_t FIRST_ADD_MS = 600;
  static constexpr uint32_t RETRY_MS = 5000;
  static constexpr int32_t RETRIES = 120;
  static constexpr uint32_t TOOLTIP_ID = 57347;  // "Set %1 settings."
  static constexpr size_t TOOLTIP_MAX = 127;     // a 128-byte field with its terminator

  CCalibrationWnd(CAppShell& shell, AppViews& views) : m_shell(shell), m_views(views) {}

  // WM_CREATE: the view exists and can take timers and the tray icon.
  void OnCreate(MainWindowView& view);
  void OnTimer(uint32_t id);
  // WM_CLOSE and exit: the destroy sequence; the view quits the loop at its end.
  void OnClose();
  bool Destroyed() const { return m_bDestroyed; }

  // Chooses the icon for the current state, adds or modifies it, publishes the driver
  // state and schedules retries when the shell refused.
  void UpdateIcon();
  void SwitchDriver(bool on) {
    m_bDriverOn = on;
    UpdateIcon();
  }
  bool DriverOn() const { return m_bDriverOn; }
  bool IconAdded() const { return m_bIconAdded; }
  int32_t RetryCount() const { return m_iRetryCount; }
  uint32_t CurrentIcon() const;
  std::string Tooltip() const;

  uint32_t PenButton() const { return m_uPenButton; }
  void SetPenButton(uint32_t value) { m_uPenButton = value; }
  const std::string& CommandText() const { return m_sCommandText; }
  void SetCommandText(bool on);

 private:
  CAppShell& m_shell;
  AppViews& m_views;
  MainWindowView* m_pView = nullptr;
  bool m_bDriverOn = true;
  bool m_bIconAdded = false;
  bool m_bAddInProgress = false;
  int32_t m_iRetryCount = -1;
  uint32_t m_uPenButton = 0;
  std::string m_sCommandText;
  bool m_bDestroyed = false;
};

}  // namespace kv
