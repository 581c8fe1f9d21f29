#include "platform/qt/QtDisplay.h"

#include <QGuiApplication>
#include <QScreen>

#include <cmath>

namespace kv {

void CQtDisplay::PrimaryScreenSize(uint32_t* width, uint32_t* height) {
  DisplayMode mode = CurrentMode();
  *width = mode.m_uWidth;
  *height = mode.m_uHeight;
}

int32_t CQtDisplay::RotationDegrees() {
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return 0;
  int angle = screen->angleBetween(screen->nativeOrientation(), screen->orientation());
  return ((angle % 360) + 360) % 360;
}

DisplayMode CQtDisplay::CurrentMode() {
  DisplayMode mode;
  QScreen* screen = QGuiApplication::primaryScreen();
  if (!screen) return mode;
  const double ratio = screen->devicePixelRatio();
  const QSize size = screen->geometry().size();
  mode.m_uWidth = static_cast<uint32_t>(std::lround(size.width() * ratio));
  mode.m_uHeight = static_cast<uint32_t>(std::lround(size.height() * ratio));
  const double hz = screen->refreshRate();
  mode.m_uRefreshHz = hz > 0 ? static_cast<uint32_t>(std::lround(hz)) : 0;
  return mode;
}

}  // namespace kv
