#include "optrim/ui/qt/CalTouchPointChildDlg.h"

#include <QPainter>

namespace kv {

namespace {

// Durations of the animation's pictures, in milliseconds.
constexpr int FRAME_MS[] = {150, 100, 100, 150, 180, 500, 1000};
constexpr int FRAMES = sizeof FRAME_MS / sizeof FRAME_MS[0];

}  // namespace

CCalTouchPointChildDlg::CCalTouchPointChildDlg(QWidget* parent) : QWidget(parent) {
  setFixedSize(SIZE, SIZE);
  setAttribute(Qt::WA_TransparentForMouseEvents);
  m_timer.setSingleShot(true);
  connect(&m_timer, &QTimer::timeout, this, [this] { NextFrame(); });
}

void CCalTouchPointChildDlg::SetState(int state) {
  if (state == m_iState) return;
  m_iState = state;
  m_iFrame = 0;
  m_timer.stop();
  if (state == 1) m_timer.start(FRAME_MS[0]);
  update();
}

void CCalTouchPointChildDlg::NextFrame() {
  m_iFrame = (m_iFrame + 1) % FRAMES;
  m_timer.start(FRAME_MS[m_iFrame]);
  update();
}

void CCalTouchPointChildDlg::PaintMark(QPainter& p, int state, int frame, int x, int y) {
  p.save();
  p.setRenderHint(QPainter::Antialiasing);
  QColor colour(90, 90, 90);
  int ring = 0;
  switch (state) {
    case 1: colour = QColor(200, 0, 40); ring = 6 + (frame < 6 ? frame * 2 : 0); break;
    case 2: colour = QColor(0, 150, 60); ring = 12; break;
    case 4: colour = QColor(0, 90, 200); ring = 10; break;
    case 5: colour = QColor(220, 0, 0); ring = 14; break;
    default: break;
  }
  QPen pen(colour, state == 3 ? 1 : 2);
  p.setPen(pen);
  p.drawLine(x - 20, y, x + 20, y);
  p.drawLine(x, y - 20, x, y + 20);
  if (ring) p.drawEllipse(QPoint(x, y), ring, ring);
  if (state == 5) {
    p.drawLine(x - 12, y - 12, x + 12, y + 12);
    p.drawLine(x - 12, y + 12, x + 12, y - 12);
  }
  p.restore();
}

void CCalTouchPointChildDlg::paintEvent(QPaintEvent*) {
  QPainter p(this);
  PaintMark(p, m_iState, m_iFrame, SIZE / 2, SIZE / 2);
}

}  // namespace kv
