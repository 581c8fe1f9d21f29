#include "tabrix/app/qt/SideWindows.h"

#include <xcb/xcb.h>

#include <QCoreApplication>
#include <QMetaObject>

#include <cstdio>

#include "platform/x11/X11WindowSystem.h"

namespace kv {

CCommandWindowView::CCommandWindowView(CCommandWindow& logic, const std::string& className,
                                       CX11WindowSystem* windows)
    : QWidget(nullptr, Qt::FramelessWindowHint), m_logic(logic), m_pWindows(windows) {
  m_uId = static_cast<uint64_t>(winId());
  if (!m_pWindows) return;
  m_pWindows->SetWindowClass(m_uId, className);
  m_pWindows->SetWindowText(m_uId, "");
  QCoreApplication::instance()->installNativeEventFilter(this);
}

CCommandWindowView::~CCommandWindowView() {
  if (m_pWindows) QCoreApplication::instance()->removeNativeEventFilter(this);
}

void CCommandWindowView::SetOwnText(const std::string& text) {
  m_sText = text;
  if (m_pWindows) m_pWindows->SetWindowText(m_uId, text);
}

bool CCommandWindowView::nativeEventFilter(const QByteArray& eventType, void* message, qintptr*) {
  if (eventType != "xcb_generic_event_t") return false;
  const auto* event = static_cast<const xcb_generic_event_t*>(message);
  if ((event->response_type & 0x7F) != XCB_PROPERTY_NOTIFY) return false;
  const auto* notify = static_cast<const xcb_property_notify_event_t*>(message);
  if (notify->window != m_uId || notify->atom != XCB_ATOM_WM_NAME) return false;
  // Leave the event handler first: the answer may post to other windows.
  QMetaObject::invokeMethod(this, [this] { OnTextChanged(); }, Qt::QueuedConnection);
  return false;
}

void CCommandWindowView::OnTextChanged() {
  const std::string text = m_pWindows->WindowText(m_uId);
  if (text == m_sText) return;  // our own change coming back
  if (m_logic.OnSetText(text, m_sText) == CCommandWindow::Outcome::STORED)
    m_sText = text;
  else
    m_pWindows->SetWindowText(m_uId, m_sText);
}

CRegionWindowView::CRegionWindowView(CX11WindowSystem* windows)
    : QWidget(nullptr, Qt::FramelessWindowHint), m_pWindows(windows) {
  m_uId = static_cast<uint64_t>(winId());
  PostRedraw();
}

void CRegionWindowView::SetPosition(double x, double y) {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_dX = x;
  m_dY = y;
}

void CRegionWindowView::PostRedraw() {
  QMetaObject::invokeMethod(
      this,
      [this] {
        char text[96];
        {
          std::lock_guard<std::mutex> lock(m_mutex);
          std::snprintf(text, sizeof text, "%lf,%lf", m_dX, m_dY);
        }
        if (m_pWindows)
          m_pWindows->SetWindowText(m_uId, text);
        else
          setWindowTitle(text);
      },
      Qt::QueuedConnection);
}

}  // namespace kv
