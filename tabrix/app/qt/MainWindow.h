#pragma once
// The view of the hidden main window: a never-shown top-level window that other programs
// find by its class and name, the tray icon, the window timers, and the way in for
// messages other programs post to it (WM_CLOSE from "/Quit").
#include <QAbstractNativeEventFilter>
#include <QPointer>
#include <QScreen>
#include <QSystemTrayIcon>
#include <QTimer>
#include <QSocketNotifier>
#include <QWidget>

class QMenu;

#include <map>
#include <memory>

#include "platform/DeviceWatch.h"
#include "tabrix/app/CalibrationWnd.h"
#include "tabrix/app/CommandWindow.h"
#include "tabrix/app/MainWindowView.h"

namespace kv {

class CX11WindowSystem;
class CChangeDisplayView;
class CCommandWindowView;
class CRegionWindowView;
class CCalibrationScreen;
class CLogindWatcher;

class CMainWindow : public QWidget, public MainWindowView, public QAbstractNativeEventFilter {
  Q_OBJECT
 public:
  // windows may be null (no X11 connection): then nothing can post to the window.
  CMainWindow(CCalibrationWnd& logic, const WindowNames& names, CX11WindowSystem* windows);
  ~CMainWindow() override;

  bool AddTrayIcon(uint32_t iconId, const std::string& tip) override;
  bool ModifyTrayIcon(uint32_t iconId, const std::string& tip) override;
  void DeleteTrayIcon() override;
  void StartTimer(uint32_t id, uint32_t ms) override;
  void StopTimer(uint32_t id) override;
  void SetCommandWindowText(const std::string& text) override;
  void Quit() override;
  void PostCommand(uint32_t id) override;
  uint32_t ShowMenu(const std::vector<TrayMenuItem>& items) override;
  ChangeDisplayView* DisplayChangeView() override;
  // The menu on screen while ShowMenu waits (tests and the benchmark look at it).
  QMenu* OpenMenu() const { return m_pOpenMenu; }

  QSystemTrayIcon* TrayIcon() const { return m_pTray.get(); }
  const QString& CommandText() const { return m_sCommandText; }

  bool nativeEventFilter(const QByteArray& eventType, void* message, qintptr* result) override;

 private:
  // The primary screen's size in device pixels reaches the resolution notice on every
  // change; Qt replaces the screen object when an output goes away and comes back.
  void WatchScreens();
  void FollowPrimaryScreen();
  void ReportScreenSize();

  CCalibrationWnd& m_logic;
  CX11WindowSystem* m_pWindows;
  std::unique_ptr<QSystemTrayIcon> m_pTray;
  std::map<uint32_t, std::unique_ptr<QTimer>> m_timers;
  QString m_sCommandText;
  uint64_t m_uWindowId = 0;
  uint64_t m_uSurfaceId = 0;
  QMenu* m_pOpenMenu = nullptr;
  CCommandWindow m_command;
  std::unique_ptr<CCommandWindowView> m_pCommandView;
  std::unique_ptr<CRegionWindowView> m_pRegionView;
  std::unique_ptr<CCalibrationScreen> m_pCalibrationScreen;
  std::unique_ptr<DeviceWatch> m_pDeviceWatch;
  std::unique_ptr<QSocketNotifier> m_pDeviceNotifier;
  std::unique_ptr<QSocketNotifier> m_pKeyNotifier;
  std::unique_ptr<CChangeDisplayView> m_pDisplayChange;
  QPointer<QScreen> m_pWatchedScreen;
  QMetaObject::Connection m_screenConnection;
  uint32_t m_uScreenWidth = 0, m_uScreenHeight = 0;
  std::unique_ptr<CLogindWatcher> m_pLogind;
};

}  // namespace kv
