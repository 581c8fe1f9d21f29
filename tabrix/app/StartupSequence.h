#pragma once
// Initialise instance: from process start to the tray. Chooses the language, reads the
// configuration, answers the installer's switches, refuses a second instance, waits for
// the service, finds the panel and brings it up; and Exit instance, which puts the system
// back as it was found.
#include <string>

#include "tabrix/app/AppShell.h"
#include "tabrix/app/AppViews.h"
#include "tabrix/app/CalibrationWnd.h"
#include "tabrix/app/CommandLineSwitch.h"
#include "tabrix/app/DriverInstaller.h"
#include "tabrix/driverlink/OsType.h"

namespace kv {

class CStartupSequence {
 public:
  CStartupSequence(CAppShell& shell, AppViews& views, CCalibrationWnd& window)
      : m_shell(shell), m_views(views), m_window(window),
        m_installer(shell.Services().m_processes) {}

  // True to run the message loop; false to end the process (a switch run, a refused
  // second start, or no main window).
  bool InitInstance(const std::string& argumentText);
  // The process's end: restores the five mouse values, clears and frees the shared
  // tables and releases the instance mutex.
  void ExitInstance();

  StartSwitch Switch() const { return m_switch; }
  int32_t ServiceWaitResult() const { return m_iServiceWait; }
  CDriverInstaller& Installer() { return m_installer; }

 private:
  void LoadConfiguration();
  void ChooseLanguage();
  void AskScreenSaver();
  void RunSwitch();
  void PickWindowNames();

  CAppShell& m_shell;
  AppViews& m_views;
  CCalibrationWnd& m_window;
  CDriverInstaller m_installer;
  StartSwitch m_switch = StartSwitch::NONE;
  int32_t m_iServiceWait = 0;
  bool m_bLanguageLoaded = false;
  bool m_bClaimed = false;  // this process is the running instance
};

}  // namespace kv
