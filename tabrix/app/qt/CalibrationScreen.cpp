#include "tabrix/app/qt/CalibrationScreen.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScreen>

namespace kv {

CCalibrationScreen::CCalibrationScreen(CCalibrationSurface& logic, const QString& fontName,
                                       const QString& title)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_logic(logic),
      m_pPanel(new QLabel(this)) {
  setWindowTitle(title);
  setObjectName("CalibrationScreen");
  setAutoFillBackground(true);
  setFocusPolicy(Qt::StrongFocus);
  m_pPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
  m_pPanel->setWordWrap(true);
  m_pPanel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
  m_pPanel->setMargin(8);
  m_pPanel->setFont(QFont(fontName, CCalibrationSurface::FONT_POINTS));
  // Touches on the panel are touches on the screen.
  m_pPanel->setAttribute(Qt::WA_TransparentForMouseEvents);
}

CCalibrationScreen::~CCalibrationScreen() { SetCursorHidden(false); }

QRect CCalibrationScreen::ToLogical(const ScreenRect& r) const {
  const qreal ratio = devicePixelRatioF();
  return QRect(QPoint(qFloor(r.left / ratio), qFloor(r.top / ratio)),
               QPoint(qCeil(r.right / ratio), qCeil(r.bottom / ratio)));
}

void CCalibrationScreen::PlacePanel() {
  m_pPanel->setGeometry(ToLogical(m_logic.Geometry().MessagePanel()));
}

void CCalibrationScreen::ShowMaximized() {
  if (QScreen* screen = QGuiApplication::primaryScreen()) setGeometry(screen->geometry());
  PlacePanel();
  showFullScreen();
  raise();
  activateWindow();
  setFocus();
}

void CCalibrationScreen::Hide() { hide(); }

void CCalibrationScreen::Invalidate(const ScreenRect& area) { update(ToLogical(area)); }

void CCalibrationScreen::InvalidateAll() { update(); }

void CCalibrationScreen::SetCursorHidden(bool hidden) {
  if (hidden == m_bCursorHidden) return;
  m_bCursorHidden = hidden;
  if (hidden)
    QGuiApplication::setOverrideCursor(Qt::BlankCursor);
  else
    QGuiApplication::restoreOverrideCursor();
}

void CCalibrationScreen::SetMessage(const std::string& text) {
  m_pPanel->setText(QString::fromStdString(text).replace("\r\n", "\n"));
}

void CCalibrationScreen::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  PlacePanel();
}

void CCalibrationScreen::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  painter.scale(1.0 / devicePixelRatioF(), 1.0 / devicePixelRatioF());
  const CCalibrationGeometry geometry = m_logic.Geometry();
  const auto corners = geometry.Corners();
  const int due = m_logic.State();
  constexpr int32_t box = CCalibrationGeometry::BOX, half = CCalibrationGeometry::BOX_HALF;
  for (int i = 0; i < CCalibrationGeometry::TARGET_COUNT; ++i) {
    const ScreenPoint c = corners[static_cast<size_t>(i)];
    painter.setPen(QPen(i == due ? QColor(255, 0, 0) : QColor(0, 0, 0),
                        CCalibrationGeometry::PEN_WIDTH));
    painter.drawLine(c.x, c.y + half, c.x + box, c.y + half);
    painter.drawLine(c.x + half, c.y, c.x + half, c.y + box);
  }
}

void CCalibrationScreen::mouseReleaseEvent(QMouseEvent* event) {
  if (event->button() == Qt::LeftButton) m_logic.OnLeftButtonUp();
}

void CCalibrationScreen::keyPressEvent(QKeyEvent* event) {
  if (event->key() == Qt::Key_Escape) m_logic.OnChar(CCalibrationSurface::ESCAPE);
}

}  // namespace kv
