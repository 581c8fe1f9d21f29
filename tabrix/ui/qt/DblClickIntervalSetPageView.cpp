#include "tabrix/ui/qt/DblClickIntervalSetPageView.h"

#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include "tabrix/ui/qt/ClickPicture.h"
#include "tabrix/ui/qt/QtText.h"

namespace kv {

namespace {
constexpr uint32_t TEXT_DEFAULT = 61106, TEXT_AUTO = 61130, TEXT_TEST = 61131;
constexpr uint32_t TEXT_SLOW = 61132, TEXT_FAST = 61133, TEXT_SPEED = 61134;
constexpr uint32_t TEXT_AUTO_HELP = 61135, TEXT_TEST_HELP = 61136;
}  // namespace

CDblClickIntervalSetPageView::CDblClickIntervalSetPageView(CDblClickIntervalSetPage& logic,
                                                           const CStringTable& strings,
                                                           QWidget* parent)
    : QWidget(parent),
      m_logic(logic),
      m_pAuto(new CClickPicture(CDblClickIntervalSetPage::BITMAP_AUTO, this)),
      m_pTest(new CClickPicture(logic.TestPicture(), this)),
      m_pSlider(new QSlider(Qt::Horizontal, this)),
      m_pDefault(new QPushButton(QtText(strings, TEXT_DEFAULT), this)) {
  using P = CDblClickIntervalSetPage;
  m_pSlider->setRange(P::SLIDER_MIN, P::SLIDER_MAX);
  m_pSlider->setSingleStep(P::LINE_SIZE);
  m_pSlider->setPageStep(P::PAGE_SIZE);
  m_pSlider->setTickInterval(P::TICK_FREQUENCY);
  m_pSlider->setTickPosition(QSlider::TicksBelow);
  const QString tip = QtText(strings, P::TOOLTIP_ID);
  for (QWidget* w : {static_cast<QWidget*>(m_pAuto), static_cast<QWidget*>(m_pTest),
                     static_cast<QWidget*>(m_pSlider), static_cast<QWidget*>(m_pDefault)})
    w->setToolTip(tip);

  auto* grid = new QGridLayout(this);
  auto* autoHelp = new QLabel(QtText(strings, TEXT_AUTO_HELP), this);
  autoHelp->setWordWrap(true);
  grid->addWidget(new QLabel(QtText(strings, TEXT_AUTO), this), 0, 0, 1, 3);
  grid->addWidget(m_pAuto, 1, 0);
  grid->addWidget(autoHelp, 1, 1, 1, 2);
  grid->addWidget(new QLabel(QtText(strings, TEXT_SPEED), this), 2, 0, 1, 3);
  auto* sliderRow = new QHBoxLayout;
  sliderRow->addWidget(new QLabel(QtText(strings, TEXT_SLOW), this));
  sliderRow->addWidget(m_pSlider, 1);
  sliderRow->addWidget(new QLabel(QtText(strings, TEXT_FAST), this));
  grid->addLayout(sliderRow, 3, 0, 1, 3);
  auto* testHelp = new QLabel(QtText(strings, TEXT_TEST_HELP), this);
  testHelp->setWordWrap(true);
  grid->addWidget(new QLabel(QtText(strings, TEXT_TEST), this), 4, 0, 1, 3);
  grid->addWidget(m_pTest, 5, 0);
  grid->addWidget(testHelp, 5, 1);
  grid->addWidget(m_pDefault, 5, 2, Qt::AlignBottom);
  grid->setColumnStretch(1, 1);
  grid->setRowStretch(6, 1);

  connect(m_pSlider, &QSlider::valueChanged, this, [this](int v) { m_logic.OnSlider(v); });
  connect(m_pDefault, &QPushButton::clicked, this, [this] {
    m_logic.OnDefault();
    Mirror();
  });
  connect(m_pAuto, &CClickPicture::Clicked, this, [this] {
    m_logic.OnClickAuto();
    Mirror();
  });
  connect(m_pTest, &CClickPicture::Clicked, this, [this] {
    if (m_logic.OnClickTest()) Mirror();
  });
  Mirror();
}

void CDblClickIntervalSetPageView::Mirror() {
  const QSignalBlocker block(m_pSlider);
  m_pSlider->setValue(m_logic.SliderPosition());
  m_pTest->SetPicture(m_logic.TestPicture());
}

void CDblClickIntervalSetPageView::Activate() {
  const bool on = m_logic.ControlsEnabled();
  for (QWidget* w : findChildren<QWidget*>()) w->setEnabled(on);
}

}  // namespace kv
