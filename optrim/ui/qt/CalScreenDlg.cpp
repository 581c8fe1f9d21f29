#include "optrim/ui/qt/CalScreenDlg.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPainter>
#include <QScreen>

#include "optrim/ui/OptrimStrings.h"

namespace kv {

CCalScreenDlg::CCalScreenDlg(const CalScreenSetup& setup, SensorLink& device,
                             MessageBoxHost& boxes, Clock& clock, const CStringTable& strings,
                             CBroadCaster* broadcaster, std::function<void()> onClosed,
                             CCalScreen::Trace trace)
    : QWidget(nullptr, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint),
      m_pMarker(new CCalTouchPointChildDlg(this)),
      m_pPanel(new CCalInstChildDlg(this, [this](PanelCommand c) {
        PostToScreen(CAL_MSG_COMMAND, c);
      })) {
  setWindowTitle(QString::fromStdString(strings.Get(optrim_str::SCREEN_TITLE)));
  setAutoFillBackground(true);
  QPalette pal = palette();
  pal.setColor(QPalette::Window, Qt::white);
  setPalette(pal);
  setFocusPolicy(Qt::StrongFocus);
  m_pLogic = std::make_unique<CCalScreen>(setup, device, *this, boxes, clock, strings,
                                          broadcaster, std::move(trace));
  m_pLogic->SetOnClosed([this, onClosed = std::move(onClosed)] {
    QMetaObject::invokeMethod(this, onClosed, Qt::QueuedConnection);
  });
  QScreen* screen = QGuiApplication::primaryScreen();
  setGeometry(screen->geometry());
  connect(&m_timer, &QTimer::timeout, this, [this] { m_pLogic->OnTimer(); });
  m_timer.start(CCalScreen::TIMER_MS);
  show();
  raise();
  activateWindow();
  setFocus();
  m_pLogic->Open();
}

CCalScreenDlg::~CCalScreenDlg() {
  Shutdown();
  if (m_bCursorHidden) QGuiApplication::restoreOverrideCursor();
}

CalScreenSetup CCalScreenDlg::SetupForScreen(bool basic, int rotation) {
  QScreen* screen = QGuiApplication::primaryScreen();
  const qreal dpr = screen->devicePixelRatio();
  return {basic, rotation, static_cast<int>(screen->geometry().width() * dpr),
          static_cast<int>(screen->geometry().height() * dpr)};
}

void CCalScreenDlg::Shutdown() {
  m_timer.stop();
  if (m_pLogic && !m_pLogic->Closed()) m_pLogic->Close();
}

QPoint CCalScreenDlg::ToLogical(const ScreenPoint& p) const {
  const qreal dpr = devicePixelRatioF();
  return QPoint(static_cast<int>(p.x / dpr), static_cast<int>(p.y / dpr));
}

void CCalScreenDlg::Changed() {
  if (m_pLogic->CursorHidden() != m_bCursorHidden) {
    m_bCursorHidden = m_pLogic->CursorHidden();
    if (m_bCursorHidden)
      QGuiApplication::setOverrideCursor(Qt::BlankCursor);
    else
      QGuiApplication::restoreOverrideCursor();
  }
  PlaceChildren();
  update();
}

void CCalScreenDlg::PlaceChildren() {
  const CCalScreen& s = *m_pLogic;
  const int marker = s.MarkerIndex();
  if (marker >= 0 && static_cast<size_t>(marker) < s.Marks().size()) {
    const QPoint at = ToLogical(s.Marks()[static_cast<size_t>(marker)]);
    m_pMarker->move(at.x() - CCalTouchPointChildDlg::SIZE / 2,
                    at.y() - CCalTouchPointChildDlg::SIZE / 2);
    m_pMarker->SetState(1);
    m_pMarker->show();
  } else {
    m_pMarker->SetState(0);
    m_pMarker->hide();
  }
  m_pPanel->Mirror(s.Panel());
  if (s.Panel().Type() == 0 || s.Marks().empty()) return;
  const QPoint anchor = ToLogical(s.Marks()[static_cast<size_t>(s.PanelAnchor())]);
  const ScreenPoint pos = CCalInstPanel::Position(s.Panel().Type(), {anchor.x(), anchor.y()},
                                                  m_pPanel->width(), m_pPanel->height(),
                                                  width(), height());
  m_pPanel->move(pos.x, pos.y);
}

void CCalScreenDlg::PostToScreen(uint32_t message, int wParam) {
  QMetaObject::invokeMethod(
      this, [this, message, wParam] { m_pLogic->OnMessage(message, wParam); },
      Qt::QueuedConnection);
}

int CCalScreenDlg::KeyIndex(int qtKey) {
  switch (qtKey) {
    case Qt::Key_Return: case Qt::Key_Enter: return SCREEN_KEY_ENTER;
    case Qt::Key_Y: return SCREEN_KEY_Y;
    case Qt::Key_R: return SCREEN_KEY_R;
    case Qt::Key_Escape: return SCREEN_KEY_ESC;
    case Qt::Key_Delete: return SCREEN_KEY_DELETE;
    default: return -1;
  }
}

void CCalScreenDlg::keyPressEvent(QKeyEvent* event) {
  const int k = KeyIndex(event->key());
  if (k < 0) return QWidget::keyPressEvent(event);
  m_down[static_cast<size_t>(k)] = true;
  m_pressed[static_cast<size_t>(k)] = true;
}

void CCalScreenDlg::keyReleaseEvent(QKeyEvent* event) {
  const int k = KeyIndex(event->key());
  if (k < 0 || event->isAutoRepeat()) return QWidget::keyReleaseEvent(event);
  m_down[static_cast<size_t>(k)] = false;
}

bool CCalScreenDlg::TakeKey(ScreenKey key) {
  const size_t k = static_cast<size_t>(key);
  const bool taken = m_down[k] || m_pressed[k];
  m_pressed[k] = false;
  return taken;
}

void CCalScreenDlg::CloseWindow() {
  m_timer.stop();
  hide();
}

void CCalScreenDlg::closeEvent(QCloseEvent* event) {
  // Alt+F4 closes the run like the cancel key.
  event->ignore();
  if (!m_pLogic->Closed()) m_pLogic->OnPanelButton(PANEL_COMMAND_CANCEL);
}

void CCalScreenDlg::paintEvent(QPaintEvent*) {
  QPainter p(this);
  const CCalScreen& s = *m_pLogic;
  for (size_t i = 0; i < s.Marks().size() && i < s.MarkPaints().size(); ++i) {
    if (static_cast<int>(i) == s.MarkerIndex() || s.MarkPaints()[i] == MARK_NONE) continue;
    const QPoint at = ToLogical(s.Marks()[i]);
    CCalTouchPointChildDlg::PaintMark(p, s.MarkPaints()[i], 0, at.x(), at.y());
  }
}

}  // namespace kv
