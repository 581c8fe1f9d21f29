#include "tabrix/ui/qt/QtPointerSource.h"

#include <xcb/xcb.h>

#include <QCursor>
#include <QGuiApplication>
#include <QtGui/qguiapplication_platform.h>

namespace kv {

PointerSample CQtPointerSource::Sample() {
  PointerSample s;
  if (auto* x11 = qApp ? qApp->nativeInterface<QNativeInterface::QX11Application>() : nullptr) {
    xcb_connection_t* c = x11->connection();
    const xcb_setup_t* setup = c ? xcb_get_setup(c) : nullptr;
    xcb_screen_iterator_t screens = setup ? xcb_setup_roots_iterator(setup) : xcb_screen_iterator_t{};
    if (setup && screens.rem > 0) {
      xcb_query_pointer_reply_t* r =
          xcb_query_pointer_reply(c, xcb_query_pointer(c, screens.data->root), nullptr);
      if (r) {
        s.m_iX = r->root_x;
        s.m_iY = r->root_y;
        s.m_bLeft = r->mask & XCB_BUTTON_MASK_1;
        s.m_bMiddle = r->mask & XCB_BUTTON_MASK_2;
        s.m_bRight = r->mask & XCB_BUTTON_MASK_3;
        free(r);
        return s;
      }
    }
  }
  const QPoint p = QCursor::pos();
  s.m_iX = p.x();
  s.m_iY = p.y();
  const Qt::MouseButtons b = QGuiApplication::mouseButtons();
  s.m_bLeft = b & Qt::LeftButton;
  s.m_bRight = b & Qt::RightButton;
  s.m_bMiddle = b & Qt::MiddleButton;
  return s;
}

}  // namespace kv
