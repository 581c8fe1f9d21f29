#include "tabrix/app/qt/MainWindow.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <QMenu>

#include "platform/qt/LogindWatcher.h"
#include "platform/x11/X11WindowSystem.h"
#include "tabrix/app/DeviceHandler.h"
#include "tabrix/app/HotKeyDispatcher.h"
#include "tabrix/app/TrayCommands.h"
#include "tabrix/app/CalibrationSurface.h"
#include "tabrix/app/ChangeDisplayDlg.h"
#include "tabrix/app/qt/CalibrationScreen.h"
#include "tabrix/app/qt/ChangeDisplayView.h"
#include "tabrix/app/qt/SideWindows.h"
#include "tabrix/app/qt/TrayIconPainter.h"

namespace kv {

CMainWindow::CMainWindow(CCalibrationWnd& logic, const WindowNames& names,
                         CX11WindowSystem* windows)
    : QWidget(nullptr, Qt::FramelessWindowHint),
      m_logic(logic),
      m_pWindows(windows),
      m_command(logic.Shell().Strings(), logic.Shell().PenLink(),
                [&shell = logic.Shell()] { return shell.Settings().GetInputMode(); },
                // The eraser state is the panel's region-detection touch the link keeps.
                [&shell = logic.Shell()] {
                  CTPdrvServiceMode* firmware = shell.Firmware();
                  return firmware && firmware->TouchInProgress();
                }) {
  setWindowTitle(QString::fromStdString(names.m_sMainName));
  setWindowIcon(CTrayIconPainter::ProgramIcon());
  // The window exists for the X server (so that it can be found and posted to) but is
  // never mapped.
  m_uWindowId = static_cast<uint64_t>(winId());
  if (m_pWindows) {
    m_pWindows->SetWindowClass(m_uWindowId, names.m_sMainClass);
    QCoreApplication::instance()->installNativeEventFilter(this);
  }
  CAppShell& shell = logic.Shell();
  m_pCommandView = std::make_unique<CCommandWindowView>(m_command, names.m_sCommandClass, windows);
  m_pRegionView = std::make_unique<CRegionWindowView>(windows);
  m_pCalibrationScreen = std::make_unique<CCalibrationScreen>(
      logic.Surface(), QString::fromStdString(shell.Text(CCalibrationSurface::FONT_NAME_ID)),
      QString::fromStdString(names.m_sMainName));
  logic.Surface().SetView(m_pCalibrationScreen.get());
  // The surface is the main window shown: other programs find either by the same class
  // and name, and what they post reaches the same logic.
  m_uSurfaceId = static_cast<uint64_t>(m_pCalibrationScreen->winId());
  if (m_pWindows) m_pWindows->SetWindowClass(m_uSurfaceId, names.m_sMainClass);
  if (CTPdrvServiceMode* firmware = shell.Firmware())
    firmware->PublishRegionWindow(std::shared_ptr<RegionWindow>(m_pRegionView.get(), [](RegionWindow*) {}));
  // Device arrival and removal come through a descriptor polled by the event loop.
  m_pDeviceWatch = CreateDeviceWatch(shell.Services().m_paths);
  if (m_pDeviceWatch->Descriptor() >= 0) {
    m_pDeviceNotifier =
        std::make_unique<QSocketNotifier>(m_pDeviceWatch->Descriptor(), QSocketNotifier::Read);
    connect(m_pDeviceNotifier.get(), &QSocketNotifier::activated, this, [this] {
      for (const DeviceEvent& e : m_pDeviceWatch->ReadEvents())
        if (!m_logic.Destroyed()) m_logic.Devices().OnDeviceChange(e);
    });
  }
  HotKeys& keys = shell.Services().m_hotKeys;
  if (keys.Descriptor() >= 0) {
    m_pKeyNotifier = std::make_unique<QSocketNotifier>(keys.Descriptor(), QSocketNotifier::Read);
    connect(m_pKeyNotifier.get(), &QSocketNotifier::activated, this, [this, &keys] {
      for (int id : keys.ReadPressed())
        if (!m_logic.Destroyed()) m_logic.Keys().OnHotKey(id);
    });
  }
  m_pDisplayChange = std::make_unique<CChangeDisplayView>(
      shell.Title(), shell.Strings(), [&logic] { return logic.DisplayNotice(); });
  WatchScreens();
  // Suspend, resume and the session come from logind; without a system bus they never do.
  auto devices = [this](auto handle) {
    return [this, handle](bool on) {
      if (!m_logic.Destroyed()) handle(m_logic.Devices(), on);
    };
  };
  m_pLogind = std::make_unique<CLogindWatcher>(CLogindWatcher::Handlers{
      devices([](CDeviceHandler& d, bool suspending) {
        if (suspending) d.OnSuspend();
        else d.OnResume();
      }),
      devices([](CDeviceHandler& d, bool active) {
        d.OnSessionChange(active ? CDeviceHandler::CONSOLE_CONNECT : CDeviceHandler::CONSOLE_DISCONNECT);
      }),
      devices([](CDeviceHandler& d, bool logon) {
        d.OnSessionChange(logon ? CDeviceHandler::SESSION_LOGON : CDeviceHandler::SESSION_LOGOFF);
      })});
  // The button watch reports a driver that stopped answering from its own thread.
  shell.ButtonWatch().SetLostHandler([this] {
    QMetaObject::invokeMethod(this, [this] {
      if (!m_logic.Destroyed() && m_logic.DriverOn()) m_logic.DeviceLostGuide(true);
    }, Qt::QueuedConnection);
  });
}

CMainWindow::~CMainWindow() {
  CAppShell& shell = m_logic.Shell();
  shell.ButtonWatch().SetLostHandler({});
  m_logic.Surface().SetView(nullptr);
  if (CTPdrvServiceMode* firmware = shell.Firmware()) firmware->PublishRegionWindow(nullptr);
  if (m_pWindows) QCoreApplication::instance()->removeNativeEventFilter(this);
}

ChangeDisplayView* CMainWindow::DisplayChangeView() { return m_pDisplayChange.get(); }

void CMainWindow::WatchScreens() {
  m_logic.Shell().Services().m_display.PrimaryScreenSize(&m_uScreenWidth, &m_uScreenHeight);
  auto changed = [this] {
    FollowPrimaryScreen();
    ReportScreenSize();
  };
  connect(qGuiApp, &QGuiApplication::primaryScreenChanged, this, changed);
  connect(qGuiApp, &QGuiApplication::screenAdded, this, changed);
  // Queued: the removed screen is still listed while its signal runs.
  connect(qGuiApp, &QGuiApplication::screenRemoved, this, changed, Qt::QueuedConnection);
  FollowPrimaryScreen();
}

void CMainWindow::FollowPrimaryScreen() {
  QScreen* primary = QGuiApplication::primaryScreen();
  if (primary == m_pWatchedScreen) return;
  disconnect(m_screenConnection);
  m_pWatchedScreen = primary;
  if (primary)
    m_screenConnection = connect(primary, &QScreen::geometryChanged, this,
                                 [this] { ReportScreenSize(); });
}

void CMainWindow::ReportScreenSize() {
  uint32_t width = 0, height = 0;
  m_logic.Shell().Services().m_display.PrimaryScreenSize(&width, &height);
  // Qt tells one change through several signals; the notice hears of it once.
  if (width == m_uScreenWidth && height == m_uScreenHeight) return;
  m_uScreenWidth = width;
  m_uScreenHeight = height;
  if (m_logic.Destroyed()) return;
  if (CChangeDisplayDlg* notice = m_logic.DisplayNotice()) notice->OnDisplayChange(width, height);
}

bool CMainWindow::AddTrayIcon(uint32_t iconId, const std::string& tip) {
  // The shell takes no icon while no tray runs; the logic's timers try again.
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
  if (!m_pTray) {
    m_pTray = std::make_unique<QSystemTrayIcon>();
    connect(m_pTray.get(), &QSystemTrayIcon::activated, this,
            [this](QSystemTrayIcon::ActivationReason reason) {
              // The menu opens on the left button; it runs its own loop, so not from
              // inside the tray's event handler.
              if (reason == QSystemTrayIcon::Trigger)
                QTimer::singleShot(0, this, [this] { m_logic.OnTrayClick(); });
            });
  }
  m_pTray->setIcon(CTrayIconPainter::IconFor(iconId));
  m_pTray->setToolTip(QString::fromStdString(tip));
  m_pTray->show();
  return true;
}

bool CMainWindow::ModifyTrayIcon(uint32_t iconId, const std::string& tip) {
  if (!m_pTray || !QSystemTrayIcon::isSystemTrayAvailable()) return false;
  m_pTray->setIcon(CTrayIconPainter::IconFor(iconId));
  m_pTray->setToolTip(QString::fromStdString(tip));
  if (!m_pTray->isVisible()) m_pTray->show();
  return true;
}

void CMainWindow::DeleteTrayIcon() { m_pTray.reset(); }

void CMainWindow::StartTimer(uint32_t id, uint32_t ms) {
  auto& timer = m_timers[id];
  if (!timer) {
    timer = std::make_unique<QTimer>();
    connect(timer.get(), &QTimer::timeout, this, [this, id] { m_logic.OnTimer(id); });
  }
  timer->start(static_cast<int>(ms));
}

void CMainWindow::StopTimer(uint32_t id) {
  auto it = m_timers.find(id);
  if (it != m_timers.end()) it->second->stop();
}

void CMainWindow::SetCommandWindowText(const std::string& text) {
  m_sCommandText = QString::fromStdString(text);
  if (m_pCommandView) m_pCommandView->SetOwnText(text);
}

void CMainWindow::Quit() { QCoreApplication::quit(); }

void CMainWindow::PostCommand(uint32_t id) {
  QTimer::singleShot(0, this, [this, id] {
    if (!m_logic.Destroyed()) m_logic.Commands().OnCommand(id);
  });
}

namespace {

void Fill(QMenu* menu, const std::vector<TrayMenuItem>& items) {
  for (const TrayMenuItem& item : items) {
    if (item.m_uId == 0) {
      menu->addSeparator();
      continue;
    }
    const QString text = QString::fromStdString(item.m_sText);
    if (!item.m_children.empty()) {
      QMenu* sub = menu->addMenu(text);
      sub->setEnabled(item.m_bEnabled);
      Fill(sub, item.m_children);
      continue;
    }
    QAction* action = menu->addAction(text);
    action->setData(item.m_uId);
    action->setEnabled(item.m_bEnabled);
    action->setCheckable(item.m_bChecked);
    action->setChecked(item.m_bChecked);
  }
}

}  // namespace

uint32_t CMainWindow::ShowMenu(const std::vector<TrayMenuItem>& items) {
  QMenu menu;
  menu.setObjectName("TrayMenu");
  Fill(&menu, items);
  m_pOpenMenu = &menu;
  QAction* chosen = menu.exec(QCursor::pos());
  m_pOpenMenu = nullptr;
  return chosen ? chosen->data().toUInt() : 0;
}

bool CMainWindow::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t") return false;
  WindowId target = 0;
  PostedWindowMessage posted;
  if (!m_pWindows || !m_pWindows->DecodeMessage(message, &target, &posted) ||
      (target != m_uWindowId && target != m_uSurfaceId))
    return false;
  if (posted.m_uMessage == WINDOW_MESSAGE_CLOSE) {
    // Leave the event handler before the window goes away.
    QTimer::singleShot(0, this, [this] { m_logic.OnClose(); });
  }
  return true;
}

}  // namespace kv
