#pragma once
// The windows of the tray program as Qt shows them: the hidden main window, the banners,
// the screen-saver question and the version box. Without a desktop (offscreen) nothing is
// shown and questions take their default answer, so that an unattended run never waits.
#include <memory>

#include "tabrix/app/AppShell.h"
#include "tabrix/app/AppViews.h"

namespace kv {

class CBannerDialog;
class CMainWindowScreenHost;
class CSettingsScreens;
class CMainWindow;
class CX11WindowSystem;

class CQtAppViews final : public AppViews {
 public:
  CQtAppViews(CAppShell& shell, CX11WindowSystem* windows);
  ~CQtAppViews() override;

  int AskReleasePassword(bool* dontShowAgain) override;
  bool CreateMainWindow(CCalibrationWnd& window) override;
  void ShowStartGuide(int mode) override;
  void ShowGuideMessage(const std::string& text, bool error) override;
  void ShowAbout() override;
  bool ShowProperties() override;
  void ShowTestDisplay() override;
  void EnableServiceModeButton(bool enabled) override;
  void ShowAutoSet(int preset) override;
  bool RunCalibrationSelection(SelectionResult* result) override;

  CMainWindow* MainWindow() const { return m_pMainWindow.get(); }
  // Closes the screens and the main window's view while the window logic still exists.
  void DestroyWindows();
  static bool Interactive();

 private:
  CAppShell& m_shell;
  CX11WindowSystem* m_pWindows;
  std::unique_ptr<CMainWindow> m_pMainWindow;
  std::unique_ptr<CMainWindowScreenHost> m_pScreenHost;
  std::unique_ptr<CSettingsScreens> m_pScreens;
  CBannerDialog* m_pStartGuide = nullptr;  // while one is shown
  CCalibrationWnd* m_pWindow = nullptr;
};

}  // namespace kv
