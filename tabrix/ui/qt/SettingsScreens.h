#pragma once
// The settings screens as the tray menu opens them: the modal property sheet, the modeless
// test information display (created on first use, then shown again) and, from the display,
// the service-mode dialogs. Without a desktop (offscreen) nothing modal is shown, so that
// an unattended run never waits.
#include <memory>

#include "tabrix/app/AppShell.h"
#include "tabrix/app/AppViews.h"
#include "tabrix/ui/ScreenHost.h"
#include "tabrix/ui/ShellPenSettingsSender.h"
#include "tabrix/ui/ShellStatusActions.h"
#include "tabrix/ui/qt/QtPointerSource.h"

class QWidget;

namespace kv {

class CHostAddressCache;
class CStatusDispWindow;

class CSettingsScreens {
 public:
  CSettingsScreens(CAppShell& shell, ScreenHost& host, AppViews& views);
  ~CSettingsScreens();
  CSettingsScreens(const CSettingsScreens&) = delete;
  CSettingsScreens& operator=(const CSettingsScreens&) = delete;

  // Modal, caption 57670; true when OK was pressed (the pages stored and sent by then).
  bool ShowProperties(QWidget* parent = nullptr);
  // Creates the display at the first call, shows it again (restored) at later ones.
  void ShowTestDisplay();
  // Every busy command of the main window turns the display's "Service Mode" off meanwhile.
  void EnableServiceModeButton(bool enable);
  // Null until the display was first opened.
  CStatusDispWindow* TestDisplay() const { return m_pStatus.get(); }

 private:
  void RunServiceMode(bool firmwareManaged);

  CAppShell& m_shell;
  ScreenHost& m_host;
  AppViews& m_views;
  CShellPenSettingsSender m_sender;
  CShellStatusActions m_actions;
  CQtPointerSource m_pointer;
  std::unique_ptr<CHostAddressCache> m_pAddresses;
  std::unique_ptr<CStatusDispWindow> m_pStatus;
};

}  // namespace kv
