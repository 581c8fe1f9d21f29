#include "tabrix/ui/qt/BannerDialog.h"

#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QScreen>

namespace kv {

namespace {

QColor ColourOf(uint32_t rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

}  // namespace

CBannerDialog::CBannerDialog(const BannerLook& look, QWidget* parent, bool compact)
    : QDialog(parent, Qt::FramelessWindowHint | Qt::WindowStaysOnTopHint | Qt::Tool),
      m_pText(new QLabel(this)),
      m_bCompact(compact) {
  setAttribute(Qt::WA_ShowWithoutActivating);
  m_pText->setAlignment(Qt::AlignCenter);
  m_pText->setTextFormat(Qt::PlainText);
  QFont font = m_pText->font();
  font.setPointSize(font.pointSize() * 2);
  // Weight 800 of a 1..1000 scale is Qt's ExtraBold.
  font.setWeight(QFont::ExtraBold);
  m_pText->setFont(font);
  m_closeTimer.setSingleShot(true);
  connect(&m_closeTimer, &QTimer::timeout, this, &QDialog::reject);
  // Without a compositor the window stays opaque, as when the system cannot layer it.
  setWindowOpacity(BANNER_OPACITY_PERCENT / 100.0);
  Apply(look);
  if (QScreen* screen = QGuiApplication::primaryScreen()) {
    QRect area = screen->geometry();
    if (m_bCompact) {
      const QSize size = m_pText->sizeHint() + QSize(48, 24);
      area = QRect(area.center() - QPoint(size.width() / 2, size.height() / 2), size);
    }
    setGeometry(area);
  }
}

void CBannerDialog::Apply(const BannerLook& look) {
  QPalette palette = this->palette();
  palette.setColor(QPalette::Window, ColourOf(look.m_uBackground));
  palette.setColor(QPalette::WindowText, ColourOf(look.m_uTextColour));
  setPalette(palette);
  setAutoFillBackground(true);
  m_pText->setPalette(palette);
  // Windows texts break lines with "\r\n".
  m_pText->setText(QString::fromStdString(look.m_sText).replace("\r\n", "\n"));
  m_pText->adjustSize();
  PlaceText();
  m_closeTimer.start(static_cast<int>(look.m_uDurationMs));
}

void CBannerDialog::Restyle(const BannerLook& look) {
  BannerLook keep = look;
  // A banner keeps its colours; only the text and its time change.
  keep.m_uBackground = palette().color(QPalette::Window).rgb() & 0xFFFFFF;
  keep.m_uTextColour = palette().color(QPalette::WindowText).rgb() & 0xFFFFFF;
  Apply(keep);
}

QString CBannerDialog::Text() const { return m_pText->text(); }

void CBannerDialog::PlaceText() {
  const QSize text = m_pText->sizeHint();
  BannerTextPlace p = BannerTextPlace::Centred(width(), height(), text.width(), text.height());
  m_pText->setGeometry(p.m_iX, p.m_iY, p.m_iWidth, p.m_iHeight);
}

void CBannerDialog::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  PlaceText();
}

void CBannerDialog::keyPressEvent(QKeyEvent* event) {
  // The banner ends by its timer only; Esc must not end it early.
  event->ignore();
}

}  // namespace kv
