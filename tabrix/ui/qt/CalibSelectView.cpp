#include "tabrix/ui/qt/CalibSelectView.h"

#include <QButtonGroup>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include "tabrix/ui/qt/QtText.h"

namespace kv {

namespace {
constexpr uint32_t TITLE_ID = 61300, SIMPLE_ID = 61301, ADVANCED_ID = 61302, SIZE_ID = 61303;
constexpr uint32_t SIMPLE_TEXT_IDS[3] = {61304, 61305, 61306};
constexpr uint32_t SET_MANUALLY_ID = 61307, EASY_CHANGE_ID = 61308, CALIBRATION_ID = 61309;
constexpr uint32_t OK_ID = 61310, CANCEL_ID = 61311, APPLY_ID = 61312;
constexpr uint32_t RESOLUTION_ID = 61313, HOT_KEY_ID = 61314;
constexpr uint32_t PRESET_IDS[PRESET_COUNT] = {57703, 57704, 57705};

QRadioButton* Radio(const QString& text, QWidget* parent, QButtonGroup* group, int id) {
  auto* radio = new QRadioButton(text, parent);
  group->addButton(radio, id);
  return radio;
}

}  // namespace

CCalibSelectView::CCalibSelectView(CCalibSelectDlg& logic, const CStringTable& strings,
                                   std::function<bool(int, QWidget*)> openHotKey, QWidget* parent)
    : QDialog(parent), m_logic(logic), m_openHotKey(std::move(openHotKey)) {
  setWindowTitle(QtText(strings, TITLE_ID));
  setObjectName("CalibSelect");
  m_pKinds = new QButtonGroup(this);
  QWidget* simple = BuildSimple(strings);
  QWidget* advanced = BuildAdvanced(strings);
  QWidget* info = BuildInfo(strings);
  connect(m_pKinds, &QButtonGroup::idClicked, this, [this](int kind) {
    if (kind == SelectionResult::KIND_ADVANCED)
      m_logic.OnAdvanced();
    else
      m_logic.OnSimple();
    Sync();
  });

  auto* ok = new QPushButton(QtText(strings, OK_ID), this);
  auto* cancel = new QPushButton(QtText(strings, CANCEL_ID), this);
  m_pApply = new QPushButton(QtText(strings, APPLY_ID), this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] {
    m_result = m_logic.Ok();
    accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  connect(m_pApply, &QPushButton::clicked, this, [this] { m_logic.Apply(); });
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  for (QPushButton* b : {ok, cancel, m_pApply}) buttons->addWidget(b);

  auto* columns = new QHBoxLayout;
  auto* methods = new QVBoxLayout;
  methods->addWidget(simple);
  methods->addWidget(advanced);
  columns->addLayout(methods, 1);
  columns->addWidget(info, 0, Qt::AlignTop);
  auto* all = new QVBoxLayout(this);
  all->addLayout(columns);
  all->addLayout(buttons);

  const QString methodTip = QString::fromStdString(m_logic.TipFor(false));
  for (QWidget* w : findChildren<QWidget*>()) w->setToolTip(methodTip);
  const QString keyTip = QString::fromStdString(m_logic.TipFor(true));
  m_pSelectKey->setToolTip(keyTip);
  m_pEasyKey->setToolTip(keyTip);

  // The options' group is measured with both options before the logic may shrink it.
  m_logic.Open(QtText(strings, SET_MANUALLY_ID).toStdString(),
               QtText(strings, SET_MANUALLY_ID).toStdString());
  m_apOptions[1]->setVisible(true);
  m_iOptionGroupHeight = m_pOptionGroup->sizeHint().height();
  Sync();
  layout()->setSizeConstraint(QLayout::SetFixedSize);
}

QWidget* CCalibSelectView::BuildSimple(const CStringTable& strings) {
  auto* box = new QWidget(this);
  m_pSimple = Radio(QtText(strings, SIMPLE_ID), box, m_pKinds, SelectionResult::KIND_SIMPLE);
  m_pSizeGroup = new QGroupBox(QtText(strings, SIZE_ID), box);
  auto* presets = new QButtonGroup(this);
  auto* sizes = new QVBoxLayout(m_pSizeGroup);
  for (int p = 0; p < PRESET_COUNT; ++p) {
    m_apPresets[static_cast<size_t>(p)] = Radio(QtText(strings, PRESET_IDS[p]), m_pSizeGroup, presets, p);
    sizes->addWidget(m_apPresets[static_cast<size_t>(p)]);
  }
  auto* texts = new QVBoxLayout;
  for (size_t i = 0; i < m_apSimpleTexts.size(); ++i) {
    m_apSimpleTexts[i] = new QLabel(QtText(strings, SIMPLE_TEXT_IDS[i]), box);
    texts->addWidget(m_apSimpleTexts[i]);
  }
  texts->addStretch(1);
  auto* row = new QHBoxLayout;
  row->addSpacing(20);
  row->addWidget(m_pSizeGroup);
  row->addLayout(texts);
  auto* all = new QVBoxLayout(box);
  all->setContentsMargins(0, 0, 0, 0);
  all->addWidget(m_pSimple);
  all->addLayout(row);
  connect(presets, &QButtonGroup::idClicked, this, [this](int p) { m_logic.SelectPreset(p); });
  return box;
}

QWidget* CCalibSelectView::BuildAdvanced(const CStringTable& strings) {
  auto* box = new QWidget(this);
  m_pAdvanced = Radio(QtText(strings, ADVANCED_ID), box, m_pKinds, SelectionResult::KIND_ADVANCED);
  m_pOptionGroup = new QGroupBox(box);
  auto* options = new QButtonGroup(this);
  auto* list = new QVBoxLayout(m_pOptionGroup);
  for (int o = 0; o < 2; ++o) {
    m_apOptions[static_cast<size_t>(o)] = Radio(QString(), m_pOptionGroup, options, o);
    list->addWidget(m_apOptions[static_cast<size_t>(o)]);
  }
  list->addStretch(1);
  connect(options, &QButtonGroup::idClicked, this, [this](int o) { m_logic.SelectOption(o); });
  auto* row = new QHBoxLayout;
  row->addSpacing(20);
  row->addWidget(m_pOptionGroup, 1);
  auto* all = new QVBoxLayout(box);
  all->setContentsMargins(0, 0, 0, 0);
  all->addWidget(m_pAdvanced);
  all->addLayout(row);
  return box;
}

QWidget* CCalibSelectView::BuildInfo(const CStringTable& strings) {
  auto* box = new QWidget(this);
  auto* resolution = new QGroupBox(QtText(strings, RESOLUTION_ID), box);
  m_pResolution = new QLabel(resolution);
  m_pResolution->setAlignment(Qt::AlignCenter);
  (new QVBoxLayout(resolution))->addWidget(m_pResolution);
  auto* keys = new QGroupBox(QtText(strings, HOT_KEY_ID), box);
  auto* grid = new QGridLayout(keys);
  m_pSelectKey = new QPushButton(keys);
  m_pEasyKey = new QPushButton(keys);
  grid->addWidget(new QLabel(QtText(strings, CALIBRATION_ID), keys), 0, 0);
  grid->addWidget(m_pSelectKey, 0, 1);
  grid->addWidget(new QLabel(QtText(strings, EASY_CHANGE_ID), keys), 1, 0);
  grid->addWidget(m_pEasyKey, 1, 1);
  auto openKey = [this](int key) {
    if (m_openHotKey && m_openHotKey(key, this)) {
      m_logic.RefreshKeyLabels();
      Sync();
    }
  };
  connect(m_pSelectKey, &QPushButton::clicked, this, [openKey] { openKey(0); });
  connect(m_pEasyKey, &QPushButton::clicked, this, [openKey] { openKey(1); });
  auto* all = new QVBoxLayout(box);
  all->setContentsMargins(0, 0, 0, 0);
  all->addWidget(resolution);
  all->addWidget(keys);
  return box;
}

void CCalibSelectView::Sync() {
  const CalibSelectControls& c = m_logic.Controls();
  m_pSimple->setEnabled(c.m_bSimpleRadioEnabled);
  (c.m_iKind == SelectionResult::KIND_ADVANCED ? m_pAdvanced : m_pSimple)->setChecked(true);
  m_pSizeGroup->setEnabled(c.m_bSimpleEnabled);
  for (QLabel* text : m_apSimpleTexts) text->setEnabled(c.m_bSimpleEnabled);
  m_pApply->setEnabled(c.m_bSimpleEnabled);
  for (int p = 0; p < PRESET_COUNT; ++p)
    m_apPresets[static_cast<size_t>(p)]->setEnabled(c.m_abPresetEnabled[static_cast<size_t>(p)]);
  if (c.m_iPreset >= 0 && c.m_iPreset < PRESET_COUNT)
    m_apPresets[static_cast<size_t>(c.m_iPreset)]->setChecked(true);
  if (!c.m_sDotByDot.empty())
    m_apPresets[PRESET_DOT_BY_DOT]->setText(QString::fromStdString(c.m_sDotByDot));
  m_pOptionGroup->setEnabled(c.m_bAdvancedEnabled);
  m_apOptions[0]->setText(QString::fromStdString(c.m_sOption1));
  m_apOptions[1]->setText(QString::fromStdString(c.m_sOption2));
  m_apOptions[1]->setVisible(c.m_bOption2Visible);
  m_apOptions[1]->setEnabled(c.m_bOption2Enabled);
  m_apOptions[static_cast<size_t>(c.m_iAdvancedOption & 1)]->setChecked(true);
  m_pOptionGroup->setFixedHeight(c.m_bOptionGroupShort ? m_iOptionGroupHeight * 2 / 3
                                                       : m_iOptionGroupHeight);
  m_pResolution->setText(QString::fromStdString(c.m_sResolution));
  for (auto [button, text] : {std::pair{m_pSelectKey, &c.m_sSelectKey}, std::pair{m_pEasyKey, &c.m_sEasyKey}}) {
    button->setText(QString::fromStdString(*text));
    // Room for the label with the button's frame, whatever key it names.
    button->setMinimumWidth(button->fontMetrics().horizontalAdvance(button->text()) + 24);
  }
}

}  // namespace kv
