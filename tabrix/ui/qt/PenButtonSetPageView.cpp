#include "tabrix/ui/qt/PenButtonSetPageView.h"

#include <QComboBox>
#include <QGridLayout>
#include <QLabel>
#include <QPushButton>
#include <QSlider>

#include "tabrix/ui/qt/QtText.h"

namespace kv {

namespace {
using P = CPenButtonSetPage;
constexpr uint32_t TEXT_DEFAULT = 61106;
constexpr uint32_t TEXT_NARROW = 61119, TEXT_WIDE = 61120, TEXT_RECOMMENDED = 61121;
// The label of each list, in list order (0 = none); the buttons carry a second line.
constexpr std::array<uint32_t, P::LIST_COUNT> LABELS = {61110, 61112, 61114, 61115,
                                                        61116, 61117, 61118};
constexpr std::array<uint32_t, P::LIST_COUNT> SUBLABELS = {61111, 61113, 0, 0, 0, 0, 0};
}  // namespace

CPenButtonSetPageView::CPenButtonSetPageView(CPenButtonSetPage& logic,
                                             const CStringTable& strings, QWidget* parent)
    : QWidget(parent), m_logic(logic) {
  auto* grid = new QGridLayout(this);
  grid->setColumnStretch(1, 1);
  BuildLists(strings);
  BuildClickRange(strings);
  Mirror();
}

void CPenButtonSetPageView::BuildLists(const CStringTable& strings) {
  auto* grid = static_cast<QGridLayout*>(layout());
  int row = 0;
  for (int i = 0; i < P::LIST_COUNT; ++i) {
    const auto list = static_cast<P::List>(i);
    QString label = QtText(strings, LABELS[i]);
    if (SUBLABELS[i]) label += " " + QtText(strings, SUBLABELS[i]);
    auto* text = new QLabel(label, this);
    auto* combo = new QComboBox(this);
    for (const std::string& item : m_logic.Items(list)) combo->addItem(QString::fromStdString(item));
    combo->setToolTip(QtText(strings, P::TOOLTIP_IDS[i]));
    combo->setObjectName(QString::number(P::CONTROL_IDS[i]));
    m_lists[i] = combo;
    connect(combo, QOverload<int>::of(&QComboBox::activated), this, [this, list](int item) {
      m_logic.OnSelect(list, item);
      Mirror();
    });
    if (list == P::CALIB_DISP) text->setWordWrap(true);
    grid->addWidget(text, row, 0);
    grid->addWidget(combo, row, 1);
    ++row;
    if (list == P::TOUCH) {
      m_pDescription = new QLabel(this);
      m_pDescription->setWordWrap(true);
      m_pDescription->setMinimumHeight(m_pDescription->fontMetrics().lineSpacing() * 2);
      grid->addWidget(m_pDescription, row++, 1);
    }
  }
}

void CPenButtonSetPageView::BuildClickRange(const CStringTable& strings) {
  auto* grid = static_cast<QGridLayout*>(layout());
  m_pClickRange = new QWidget(this);
  m_pSlider = new QSlider(Qt::Horizontal, m_pClickRange);
  m_pSlider->setRange(P::CLICK_MIN, P::CLICK_MAX);
  m_pSlider->setSingleStep(P::CLICK_LINE);
  m_pSlider->setPageStep(P::CLICK_PAGE);
  m_pSlider->setTickPosition(QSlider::TicksBelow);
  m_pDefault = new QPushButton(QtText(strings, TEXT_DEFAULT), m_pClickRange);
  auto* row = new QGridLayout(m_pClickRange);
  row->setContentsMargins(0, 0, 0, 0);
  row->addWidget(new QLabel(QtText(strings, TEXT_NARROW), m_pClickRange), 0, 0);
  row->addWidget(m_pSlider, 0, 1);
  row->addWidget(new QLabel(QtText(strings, TEXT_WIDE), m_pClickRange), 0, 2);
  row->addWidget(m_pDefault, 0, 3);
  row->addWidget(new QLabel(QtText(strings, TEXT_RECOMMENDED), m_pClickRange), 1, 1,
                 Qt::AlignHCenter);
  row->setColumnStretch(1, 1);
  grid->addWidget(m_pClickRange, grid->rowCount(), 0, 1, 2);
  grid->setRowStretch(grid->rowCount(), 1);
  connect(m_pSlider, &QSlider::valueChanged, this, [this](int v) { m_logic.OnClickRange(v); });
  connect(m_pDefault, &QPushButton::clicked, this, [this] {
    m_logic.OnDefault();
    Mirror();
  });
}

void CPenButtonSetPageView::Mirror() {
  for (int i = 0; i < P::LIST_COUNT; ++i) {
    const QSignalBlocker block(m_lists[i]);
    m_lists[i]->setCurrentIndex(m_logic.Selection(static_cast<P::List>(i)));
  }
  m_pDescription->setText(QtText(m_logic.Description()));
  const QSignalBlocker block(m_pSlider);
  m_pSlider->setValue(m_logic.ClickRange());
  m_pSlider->setTickInterval(m_logic.ClickTicks());
  m_pSlider->setTickPosition(m_logic.ClickTicks() ? QSlider::TicksBelow : QSlider::NoTicks);
  m_pClickRange->setEnabled(m_logic.ClickRangeEnabled());
}

}  // namespace kv
