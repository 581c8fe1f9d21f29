#include "tabrix/ui/qt/QtAppViews.h"

#include <QGuiApplication>

#include "tabrix/app/HotKeyDispatcher.h"
#include "tabrix/app/qt/MainWindow.h"
#include "tabrix/app/qt/TrayIconPainter.h"
#include "tabrix/calibration/CalibAutoSetDlg.h"
#include "tabrix/ui/AboutDlg.h"
#include "tabrix/ui/MainWindowScreenHost.h"
#include "tabrix/ui/qt/SettingsScreens.h"
#include "tabrix/ui/AskReleasePasswordDlg.h"
#include "tabrix/ui/GuideMessageDlg.h"
#include "tabrix/ui/StartGuideDlg.h"
#include "tabrix/ui/qt/AboutView.h"
#include "tabrix/ui/qt/AskReleasePasswordView.h"
#include "tabrix/ui/qt/BannerDialog.h"
#include "tabrix/ui/qt/CalibSelHotkeySetView.h"
#include "tabrix/ui/qt/CalibSelectView.h"

namespace kv {

namespace {
constexpr uint32_t OK_TEXT_ID = 61002;
}

CQtAppViews::CQtAppViews(CAppShell& shell, CX11WindowSystem* windows)
    : m_shell(shell), m_pWindows(windows) {}

CQtAppViews::~CQtAppViews() { DestroyWindows(); }

void CQtAppViews::DestroyWindows() {
  m_pScreens.reset();
  m_pScreenHost.reset();
  m_pMainWindow.reset();
}

bool CQtAppViews::Interactive() {
  const QString platform = QGuiApplication::platformName();
  return platform != "offscreen" && platform != "minimal";
}

int CQtAppViews::AskReleasePassword(bool* dontShowAgain) {
  CAskReleasePasswordDlg logic(m_shell.Strings(), m_shell.Title());
  if (Interactive()) {
    CAskReleasePasswordView view(logic);
    view.setWindowIcon(CTrayIconPainter::ProgramIcon());
    view.exec();
  }
  *dontShowAgain = logic.DontShowAgain();
  return logic.Result();
}

bool CQtAppViews::CreateMainWindow(CCalibrationWnd& window) {
  m_pWindow = &window;
  m_pScreenHost = std::make_unique<CMainWindowScreenHost>(m_shell, window);
  m_pScreens = std::make_unique<CSettingsScreens>(m_shell, *m_pScreenHost, *this);
  m_pMainWindow = std::make_unique<CMainWindow>(window, m_shell.Names(), m_pWindows);
  window.OnCreate(*m_pMainWindow);
  return true;
}

void CQtAppViews::ShowStartGuide(int mode) {
  if (m_pStartGuide) {
    CStartGuideDlg again(m_shell.Strings(), mode);
    again.EnterAgain();
    m_pStartGuide->Restyle(again.Look());
    return;
  }
  if (!Interactive()) return;
  CStartGuideDlg logic(m_shell.Strings(), mode);
  CBannerDialog banner(logic.Look());
  m_pStartGuide = &banner;
  banner.exec();
  m_pStartGuide = nullptr;
}

void CQtAppViews::ShowGuideMessage(const std::string& text, bool error) {
  BannerLook look = CGuideMessageDlg::LookOf(text, error);
  if (look.m_bBeep) m_shell.Services().m_beeper.Beep(MBF_ICON_EXCLAMATION);
  if (!Interactive()) return;
  CBannerDialog banner(look);
  banner.exec();
}

void CQtAppViews::ShowAbout() {
  if (!Interactive()) return;
  CAboutDlg logic(m_shell.Strings(), m_shell.Services().m_version);
  CAboutView view(logic, CTrayIconPainter::ProgramIcon(),
                  QString::fromStdString(m_shell.Strings().Get(OK_TEXT_ID)));
  view.exec();
}

}  // namespace kv

namespace kv {

bool CQtAppViews::ShowProperties() { return m_pScreens && m_pScreens->ShowProperties(); }

void CQtAppViews::ShowTestDisplay() {
  if (m_pScreens) m_pScreens->ShowTestDisplay();
}

void CQtAppViews::EnableServiceModeButton(bool enabled) {
  if (m_pScreens) m_pScreens->EnableServiceModeButton(enabled);
}

void CQtAppViews::ShowAutoSet(int preset) {
  if (!Interactive()) return;
  BannerLook look;
  look.m_sText = CCalibAutoSetDlg::Text(m_shell.Strings(), preset);
  look.m_uBackground = BANNER_NAVY;
  look.m_uTextColour = BANNER_WHITE;
  look.m_uDurationMs = CCalibAutoSetDlg::DURATION_MS;
  CBannerDialog label(look, nullptr, true);
  label.exec();
}

bool CQtAppViews::RunCalibrationSelection(SelectionResult* result) {
  // Unattended, nobody can choose: the selection counts as cancelled.
  if (!Interactive() || !m_pWindow) return false;
  CCalibSelectDlg logic(m_shell);
  CHotKeyDispatcher& keys = m_pWindow->Keys();
  CCalibSelectView view(logic, m_shell.Strings(), [this, &keys](int hotKey, QWidget* parent) {
    CCalibSelHotkeySetDlg keyLogic(m_shell, keys, hotKey);
    CCalibSelHotkeySetView keyView(keyLogic, m_shell.Strings(), parent);
    return keyView.exec() == QDialog::Accepted;
  });
  view.setWindowIcon(CTrayIconPainter::ProgramIcon());
  if (view.exec() != QDialog::Accepted) return false;
  *result = view.Result();
  return true;
}

}  // namespace kv
