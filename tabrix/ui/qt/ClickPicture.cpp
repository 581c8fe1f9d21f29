#include "tabrix/ui/qt/ClickPicture.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>

#include "tabrix/ui/DblClickIntervalSetPage.h"

namespace kv {

namespace {
constexpr int PICTURE_SIZE = 48;
}

CClickPicture::CClickPicture(uint32_t picture, QWidget* parent)
    : QWidget(parent), m_uPicture(picture) {
  const int side = PICTURE_SIZE + 2 * CDblClickIntervalSetPage::PICTURE_OFFSET;
  setMinimumSize(side, side);
}

void CClickPicture::SetPicture(uint32_t picture) {
  m_uPicture = picture;
  update();
}

void CClickPicture::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint()))
    emit Clicked();
  QWidget::mouseReleaseEvent(event);
}

void CClickPicture::paintEvent(QPaintEvent*) {
  QPainter p(this);
  p.setPen(palette().color(QPalette::Mid));
  p.drawRect(rect().adjusted(0, 0, -1, -1));
  const int o = CDblClickIntervalSetPage::PICTURE_OFFSET;
  const QRectF r(o, o, PICTURE_SIZE, PICTURE_SIZE);
  p.setRenderHint(QPainter::Antialiasing);
  if (m_uPicture == CDblClickIntervalSetPage::BITMAP_AUTO)
    DrawMouse(p, r);
  else
    DrawBox(p, r, m_uPicture == CDblClickIntervalSetPage::BITMAP_TEST_OPEN);
}

void CClickPicture::DrawMouse(QPainter& p, const QRectF& r) {
  const QRectF body = r.adjusted(r.width() * 0.25, r.height() * 0.1, -r.width() * 0.25, -r.height() * 0.05);
  p.setPen(QPen(Qt::black, 1.5));
  p.setBrush(QColor(230, 230, 230));
  p.drawRoundedRect(body, body.width() * 0.45, body.width() * 0.45);
  // The left button, pressed twice: two arcs beside it.
  QPainterPath left;
  left.moveTo(body.center().x(), body.top());
  left.lineTo(body.center().x(), body.top() + body.height() * 0.4);
  left.lineTo(body.left(), body.top() + body.height() * 0.4);
  left.arcTo(QRectF(body.left(), body.top(), body.width(), body.width() * 0.9), 180, -90);
  p.setBrush(QColor(0, 120, 215));
  p.drawPath(left);
  p.setBrush(Qt::NoBrush);
  p.setPen(QPen(QColor(0, 120, 215), 1.5));
  for (int i = 1; i <= 2; ++i) {
    const double d = 6.0 * i;
    p.drawArc(QRectF(body.left() - d, body.top() - d, 2 * d, 2 * d), 90 * 16, 90 * 16);
  }
}

void CClickPicture::DrawBox(QPainter& p, const QRectF& r, bool open) {
  const QRectF box(r.left() + r.width() * 0.15, r.top() + r.height() * 0.45, r.width() * 0.7,
                   r.height() * 0.45);
  p.setPen(QPen(Qt::black, 1.5));
  p.setBrush(QColor(214, 160, 80));
  p.drawRect(box);
  QPolygonF lid;
  if (open)
    lid << box.topLeft() << QPointF(box.left() - r.width() * 0.1, r.top() + r.height() * 0.1)
        << QPointF(box.left() + r.width() * 0.2, r.top() + r.height() * 0.05)
        << QPointF(box.left() + box.width() * 0.35, box.top());
  else
    lid << box.topLeft() << QPointF(box.left() + box.width() * 0.1, box.top() - r.height() * 0.12)
        << QPointF(box.right() - box.width() * 0.1, box.top() - r.height() * 0.12)
        << box.topRight();
  p.setBrush(QColor(235, 190, 110));
  p.drawPolygon(lid);
  if (open) {
    p.setBrush(QColor(255, 215, 0));
    p.drawEllipse(QPointF(box.center().x(), box.top() - r.height() * 0.12), r.width() * 0.1,
                  r.width() * 0.1);
  }
}

}  // namespace kv
