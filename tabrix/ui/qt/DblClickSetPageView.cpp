#include "tabrix/ui/qt/DblClickSetPageView.h"

#include <QEvent>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPushButton>
#include <QSlider>

#include "tabrix/ui/qt/QtText.h"

namespace kv {

namespace {
constexpr uint32_t TEXT_RANGE = 61103, TEXT_SMALL = 61104, TEXT_LARGE = 61105;
constexpr uint32_t TEXT_DEFAULT = 61106, TEXT_PIXELS = 61107, TEXT_PREVIEW = 61109;
constexpr int PREVIEW_SIZE = 96;
}  // namespace

CDblClickSetPageView::CDblClickSetPageView(CDblClickSetPage& logic, const CStringTable& strings,
                                           QWidget* parent)
    : QWidget(parent),
      m_logic(logic),
      m_pEdit(new QLineEdit(this)),
      m_pSlider(new QSlider(Qt::Horizontal, this)),
      m_pDefault(new QPushButton(QtText(strings, TEXT_DEFAULT), this)),
      m_pPreview(new QWidget(this)) {
  using P = CDblClickSetPage;
  m_pSlider->setRange(P::MIN_PIXELS, P::MAX_PIXELS);
  m_pSlider->setSingleStep(P::LINE_SIZE);
  m_pSlider->setPageStep(P::PAGE_SIZE);
  m_pSlider->setTickInterval(P::TICK_FREQUENCY);
  m_pSlider->setTickPosition(QSlider::TicksBelow);
  m_pEdit->setMaxLength(static_cast<int>(P::EDIT_LIMIT));
  m_pEdit->setFixedWidth(m_pEdit->fontMetrics().horizontalAdvance("0000") + 12);
  m_pPreview->setFixedSize(PREVIEW_SIZE, PREVIEW_SIZE);
  m_pPreview->installEventFilter(this);
  m_pEdit->installEventFilter(this);
  const QString tip = QtText(strings, P::TOOLTIP_ID);
  for (QWidget* w : {static_cast<QWidget*>(m_pEdit), static_cast<QWidget*>(m_pSlider),
                     static_cast<QWidget*>(m_pDefault), m_pPreview})
    w->setToolTip(tip);

  auto* grid = new QGridLayout(this);
  grid->addWidget(new QLabel(QtText(strings, TEXT_RANGE), this), 0, 0, 1, 3);
  grid->addWidget(new QLabel(QtText(strings, TEXT_SMALL), this), 1, 0);
  grid->addWidget(m_pSlider, 1, 1);
  grid->addWidget(new QLabel(QtText(strings, TEXT_LARGE), this), 1, 2);
  auto* editRow = new QHBoxLayout;
  editRow->addWidget(m_pEdit);
  editRow->addWidget(new QLabel(QtText(strings, TEXT_PIXELS), this));
  editRow->addStretch(1);
  editRow->addWidget(m_pDefault);
  grid->addLayout(editRow, 2, 0, 1, 3);
  grid->addWidget(new QLabel(QtText(strings, TEXT_PREVIEW), this), 3, 0, 1, 3);
  grid->addWidget(m_pPreview, 4, 0, 1, 3, Qt::AlignHCenter);
  grid->setRowStretch(5, 1);

  m_previewTimer.setSingleShot(true);
  connect(&m_previewTimer, &QTimer::timeout, this, [this] {
    m_bPreviewReady = true;
    m_pPreview->update();
  });
  connect(m_pEdit, &QLineEdit::textEdited, this, [this](const QString& text) {
    if (m_logic.OnEditChanged(text.toStdString())) m_pEdit->setText(QString::fromStdString(m_logic.EditText()));
    const QSignalBlocker block(m_pSlider);
    m_pSlider->setValue(m_logic.SliderPosition());
    m_pPreview->update();
  });
  connect(m_pSlider, &QSlider::valueChanged, this, [this](int value) {
    m_logic.OnSlider(value);
    Mirror();
  });
  connect(m_pDefault, &QPushButton::clicked, this, [this] {
    m_logic.OnDefault();
    Mirror();
  });
  Mirror();
}

void CDblClickSetPageView::Mirror() {
  if (m_pEdit->text().toStdString() != m_logic.EditText())
    m_pEdit->setText(QString::fromStdString(m_logic.EditText()));
  const QSignalBlocker block(m_pSlider);
  m_pSlider->setValue(m_logic.SliderPosition());
  m_pPreview->update();
}

void CDblClickSetPageView::Activate() {
  const bool on = m_logic.ControlsEnabled();
  for (QWidget* w : findChildren<QWidget*>()) w->setEnabled(on);
  m_previewTimer.start(static_cast<int>(CDblClickSetPage::PREVIEW_DELAY_MS));
}

bool CDblClickSetPageView::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_pPreview && event->type() == QEvent::Paint) {
    PaintPreview();
    return true;
  }
  if (watched == m_pEdit && event->type() == QEvent::FocusOut) {
    m_logic.OnEditKillFocus();
    Mirror();
  }
  return QWidget::eventFilter(watched, event);
}

void CDblClickSetPageView::PaintPreview() {
  QPainter painter(m_pPreview);
  const QRect area = m_pPreview->rect().adjusted(0, 0, -1, -1);
  painter.setPen(palette().color(QPalette::WindowText));
  painter.setBrush(Qt::white);
  painter.drawRect(area);
  if (!m_bPreviewReady) return;
  painter.setRenderHint(QPainter::Antialiasing);
  painter.setPen(QPen(Qt::red, CDblClickSetPage::PREVIEW_PEN_WIDTH));
  painter.setBrush(Qt::NoBrush);
  const int d = m_logic.PreviewDiameter();
  painter.drawEllipse(QRectF(area.center().x() - d / 2.0, area.center().y() - d / 2.0, d, d));
}

}  // namespace kv
