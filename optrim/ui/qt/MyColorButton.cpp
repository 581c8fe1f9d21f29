#include "optrim/ui/qt/MyColorButton.h"

#include <QPainter>

namespace kv {

CMyColorButton::CMyColorButton(const QString& text, QWidget* parent) : QPushButton(text, parent) {}

QColor CMyColorButton::FromColorRef(uint32_t value) {
  return QColor(static_cast<int>(value & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                static_cast<int>((value >> 16) & 0xFF));
}

void CMyColorButton::SetColors(uint32_t text, uint32_t frame, uint32_t face) {
  m_uText = text;
  m_uFrame = frame;
  m_uFace = face;
  update();
}

void CMyColorButton::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const QRect r = rect().adjusted(0, 0, -1, -1);
  p.fillRect(r, FromColorRef(m_uFace));
  // A two-tone edge: light above and left when raised, dark there when sunken.
  const bool sunken = isDown();
  const QColor light = FromColorRef(m_uFace).lighter(130);
  const QColor dark = FromColorRef(m_uFrame).darker(sunken ? 140 : 110);
  p.setPen(sunken ? dark : light);
  p.drawLine(r.topLeft(), r.topRight());
  p.drawLine(r.topLeft(), r.bottomLeft());
  p.setPen(sunken ? light : dark);
  p.drawLine(r.bottomLeft(), r.bottomRight());
  p.drawLine(r.topRight(), r.bottomRight());
  p.setPen(FromColorRef(m_uFrame));
  p.drawRect(r.adjusted(1, 1, -1, -1));
  if (hasFocus()) {
    QPen focus(FromColorRef(m_uText));
    focus.setStyle(Qt::DotLine);
    p.setPen(focus);
    p.drawRect(r.adjusted(4, 4, -4, -4));
  }
  p.setPen(FromColorRef(m_uText));
  p.drawText(rect().translated(sunken ? 1 : 0, sunken ? 1 : 0), Qt::AlignCenter, text());
}

}  // namespace kv
