#pragma once
// The hidden main window of the tray program: it owns the tray icon and keeps it true to
// the pen's state (driver on or off, rotated, testing), and its destruction puts the
// panel and the driver back to rest before the program ends. The same window becomes the
// full-screen calibration surface.
#include <array>
#include <memory>
#include <mutex>
#include <cstdint>
#include <string>

#include "tabrix/app/AppShell.h"
#include "tabrix/app/AppViews.h"
#include "tabrix/app/MainWindowView.h"
#include "tabrix/app/TrayIconTable.h"

namespace kv {

class CCalibrationCommand;
class CCalibrationSurface;
class CChangeDisplayDlg;
class CDeviceHandler;
class CHotKeyDispatcher;
class CTrayCommands;

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

  CCalibrationWnd(CAppShell& shell, AppViews& views);
  ~CCalibrationWnd();
  CCalibrationWnd(const CCalibrationWnd&) = delete;
  CCalibrationWnd& operator=(const CCalibrationWnd&) = delete;

  // WM_CREATE: the view exists and can take timers and the tray icon.
  void OnCreate(MainWindowView& view);
  void OnTimer(uint32_t id);
  // A left-button release on the tray icon: the menu, built anew; ignored while one shows.
  void OnTrayClick();
  TrayMenuState MenuState() const;
  CTrayCommands& Commands() { return *m_pCommands; }
  CDeviceHandler& Devices() { return *m_pDevices; }
  CHotKeyDispatcher& Keys() { return *m_pKeys; }
  // The resolution notice, created with the view; null before (or without a view for it).
  CChangeDisplayDlg* DisplayNotice() { return m_pDisplayNotice.get(); }
  CCalibrationSurface& Surface() { return *m_pSurface; }
  CCalibrationCommand& CalibrationCommand() { return *m_pCalibration; }
  CAppShell& Shell() { return m_shell; }
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

  // A modal command runs: the menu greys most items, the calibration keys refuse.
  bool Busy() const { return m_bBusy; }
  void SetBusy(bool busy) { m_bBusy = busy; }
  bool TestDisplayRequested() const { return m_bTestDisplayRequested; }
  void SetTestDisplayRequested(bool requested) { m_bTestDisplayRequested = requested; }
  // The window collects calibration touches; the preset keys refuse meanwhile.
  bool Calibrating() const { return m_bCalibrating; }
  void SetCalibrating(bool on) { m_bCalibrating = on; }
  // The preset label is on screen for its 500 ms.
  bool AutoSetShown() const { return m_bAutoSetShown; }
  void SetAutoSetShown(bool shown) { m_bAutoSetShown = shown; }
  // The resolution notice is on screen: rotation and exit refuse.
  bool DisplayChangeShown() const { return m_bDisplayChangeShown; }
  void SetDisplayChangeShown(bool shown) { m_bDisplayChangeShown = shown; }
  // The calibration selection dialog is open (the resolution notice then only tells the
  // user to cancel it).
  bool SelectionOpen() const { return m_bSelectionOpen; }
  void SetSelectionOpen(bool open) { m_bSelectionOpen = open; }
  // A menu command posted to this window, run from the message loop.
  void PostCommand(uint32_t id) {
    if (m_pView) m_pView->PostCommand(id);
  }
  // The panel's firmware version words, copied when the test display opens.
  uint16_t FirmwareWord(int i) const { return m_aFirmwareWords[i & 1]; }
  void SetFirmwareWords(uint16_t first, uint16_t second) { m_aFirmwareWords = {first, second}; }

  // After a failed driver request: command window text off, the button watch quiet,
  // driver off, and the "not connected" banner when asked.
  void DeviceLostGuide(bool showDialog);

  uint32_t PenButton() const { return m_uPenButton; }
  void SetPenButton(uint32_t value) { m_uPenButton = value; }
  const std::string& CommandText() const { return m_sCommandText; }
  void SetCommandText(bool on);

 private:
  void StopButtonWatch();

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
  std::unique_ptr<CTrayCommands> m_pCommands;
  std::unique_ptr<CDeviceHandler> m_pDevices;
  std::unique_ptr<CHotKeyDispatcher> m_pKeys;
  std::unique_ptr<CChangeDisplayDlg> m_pDisplayNotice;
  std::unique_ptr<CCalibrationSurface> m_pSurface;
  std::unique_ptr<CCalibrationCommand> m_pCalibration;
  std::mutex m_menuMutex;  // the window's critical section around the menu-open mark
  bool m_bMenuOpen = false;
  bool m_bBusy = false;
  bool m_bTestDisplayRequested = false;
  bool m_bDisplayChangeShown = false;
  bool m_bCalibrating = false;
  bool m_bAutoSetShown = false;
  bool m_bSelectionOpen = false;
  std::array<uint16_t, 2> m_aFirmwareWords{};
};

}  // namespace kv
