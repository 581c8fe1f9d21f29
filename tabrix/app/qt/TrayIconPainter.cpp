#include "tabrix/app/qt/TrayIconPainter.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>

namespace kv {

namespace {

enum class Look { OFF, ON, ROTATED, TESTING };

struct IconRow {
  uint32_t m_uId;
  Look m_look;
  bool m_bDual;
  bool m_bOlderSet;
};

constexpr IconRow kRows[] = {
    {189, Look::OFF, false, false},     {128, Look::ON, false, false},
    {193, Look::ROTATED, false, false}, {209, Look::TESTING, false, false},
    {257, Look::OFF, true, false},      {256, Look::ON, true, false},
    {258, Look::ROTATED, true, false},  {259, Look::TESTING, true, false},
    {230, Look::OFF, false, true},      {227, Look::ON, false, true},
    {233, Look::ROTATED, false, true},  {235, Look::TESTING, false, true},
};

// A pen of length `size` from its tip up and to the right.
void DrawPen(QPainter& p, QPointF tip, double size, QColor colour) {
  QPainterPath pen;
  pen.moveTo(tip);
  pen.lineTo(tip + QPointF(0.2 * size, -0.5 * size));
  pen.lineTo(tip + QPointF(0.7 * size, -size));
  pen.lineTo(tip + QPointF(size, -0.7 * size));
  pen.lineTo(tip + QPointF(0.5 * size, -0.2 * size));
  pen.closeSubpath();
  p.setPen(QPen(Qt::black, 1.2));
  p.setBrush(colour);
  p.drawPath(pen);
}

QPixmap Draw(const IconRow& row, int size) {
  QPixmap pixmap(size, size);
  pixmap.fill(Qt::transparent);
  QPainter p(&pixmap);
  p.setRenderHint(QPainter::Antialiasing);
  p.scale(size / 32.0, size / 32.0);
  const QColor panel = row.m_look == Look::OFF       ? QColor(150, 150, 150)
                       : row.m_look == Look::TESTING ? QColor(240, 140, 20)
                                                     : QColor(30, 90, 200);
  p.setPen(QPen(Qt::black, 1.5));
  p.setBrush(panel);
  if (row.m_bOlderSet)
    p.drawRect(QRectF(2, 4, 28, 24));
  else
    p.drawRoundedRect(QRectF(2, 4, 28, 24), 5, 5);
  p.save();
  if (row.m_look == Look::ROTATED) {
    p.translate(16, 16);
    p.rotate(90);
    p.translate(-16, -16);
  }
  if (row.m_bDual) {
    DrawPen(p, QPointF(5, 26), 15, Qt::white);
    DrawPen(p, QPointF(13, 26), 15, QColor(255, 230, 120));
  } else {
    DrawPen(p, QPointF(6, 26), 20, Qt::white);
  }
  p.restore();
  if (row.m_look == Look::OFF) {
    p.setPen(QPen(QColor(220, 0, 0), 4, Qt::SolidLine, Qt::RoundCap));
    p.drawLine(QPointF(5, 27), QPointF(27, 5));
  }
  if (row.m_look == Look::TESTING) {
    p.setPen(QPen(Qt::black, 3));
    QFont font = p.font();
    font.setPixelSize(14);
    font.setBold(true);
    p.setFont(font);
    p.drawText(QRectF(16, 4, 14, 14), Qt::AlignCenter, "T");
  }
  return pixmap;
}

}  // namespace

QIcon CTrayIconPainter::IconFor(uint32_t resourceId) {
  const IconRow* found = &kRows[1];
  for (const IconRow& row : kRows)
    if (row.m_uId == resourceId) found = &row;
  QIcon icon;
  for (int size : {16, 22, 24, 32, 48, 64}) icon.addPixmap(Draw(*found, size));
  return icon;
}

}  // namespace kv
