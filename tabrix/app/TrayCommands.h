#pragma once
// What the tray menu's items do: save the memory log, calibration, properties, the test
// display, rotation, the driver switch, the version box and exit. Every failed driver or
// panel request switches the program to driver off, so the icon always tells the truth.
#include <cstdint>

#include "tabrix/app/AppShell.h"
#include "tabrix/app/AppViews.h"
#include "tabrix/app/CalibrationWnd.h"

namespace kv {

class CTrayCommands {
 public:
  static constexpr uint32_t ASK_ROTATE_ID = 60116;
  static constexpr uint32_t ASK_DRIVER_OFF_ID = 57691;
  static constexpr uint32_t ASK_EXIT_ID = 57357;
  static constexpr uint32_t NOT_ENABLED_ID = 57736;
  static constexpr uint32_t CHECK_CONNECTION_ID = 57734;

  CTrayCommands(CAppShell& shell, AppViews& views, CCalibrationWnd& window)
      : m_shell(shell), m_views(views), m_window(window) {}

  void OnCommand(uint32_t id);

  void SaveMemoryLog();
  void Calibration();
  void Properties();
  void TestDisplay();
  void Rotate(uint32_t degrees);
  // The driver on/off switch; the result is the driver state afterwards.
  bool SwitchDriver();
  void About();
  void Exit();

 private:
  // Brackets a modal command: busy set, the test display's Service Mode button greyed.
  class CBusy {
   public:
    explicit CBusy(CTrayCommands& c) : m_c(c) {
      m_c.m_window.SetBusy(true);
      m_c.m_views.EnableServiceModeButton(false);
    }
    ~CBusy() {
      m_c.m_window.SetBusy(false);
      m_c.m_views.EnableServiceModeButton(true);
    }

   private:
    CTrayCommands& m_c;
  };
  bool ProbePanel();
  bool SwitchFirmwareModel(bool wasOn);
  bool SwitchDriverModel(bool wasOn);

  CAppShell& m_shell;
  AppViews& m_views;
  CCalibrationWnd& m_window;
};

}  // namespace kv
