#include "tabrix/app/qt/MainWindow.h"

#include <QCoreApplication>

#include "platform/x11/X11WindowSystem.h"
#include "tabrix/app/qt/TrayIconPainter.h"

namespace kv {

CMainWindow::CMainWindow(CCalibrationWnd& logic, const WindowNames& names,
                         CX11WindowSystem* windows)
    : QWidget(nullptr, Qt::FramelessWindowHint), m_logic(logic), m_pWindows(windows) {
  setWindowTitle(QString::fromStdString(names.m_sMainName));
  setWindowIcon(CTrayIconPainter::ProgramIcon());
  // The window exists for the X server (so that it can be found and posted to) but is
  // never mapped.
  m_uWindowId = static_cast<uint64_t>(winId());
  if (m_pWindows) {
    m_pWindows->SetWindowClass(m_uWindowId, names.m_sMainClass);
    QCoreApplication::instance()->installNativeEventFilter(this);
  }
}

CMainWindow::~CMainWindow() {
  if (m_pWindows) QCoreApplication::instance()->removeNativeEventFilter(this);
}

bool CMainWindow::AddTrayIcon(uint32_t iconId, const std::string& tip) {
  // The shell takes no icon while no tray runs; the logic's timers try again.
  if (!QSystemTrayIcon::isSystemTrayAvailable()) return false;
  if (!m_pTray) m_pTray = std::make_unique<QSystemTrayIcon>();
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
}

void CMainWindow::Quit() { QCoreApplication::quit(); }

bool CMainWindow::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t") return false;
  WindowId target = 0;
  PostedWindowMessage posted;
  if (!m_pWindows->DecodeMessage(message, &target, &posted) || target != m_uWindowId)
    return false;
  if (posted.m_uMessage == WINDOW_MESSAGE_CLOSE) {
    // Leave the event handler before the window goes away.
    QTimer::singleShot(0, this, [this] { m_logic.OnClose(); });
  }
  return true;
}

}  // namespace kv
