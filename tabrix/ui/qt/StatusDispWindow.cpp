#include "tabrix/ui/qt/StatusDispWindow.h"

#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QVBoxLayout>

#include "tabrix/ui/qt/QtText.h"

namespace kv {

namespace {
constexpr uint32_t TEXT_CAPTION = 61140, TEXT_DRIVER_INFO = 61141;
constexpr uint32_t TEXT_BUTTON_STATE = 61148, TEXT_L = 61149, TEXT_MOUSE = 61152;
constexpr uint32_t TEXT_ROTATION = 61153, TEXT_SYSTEM_INFO = 61154, TEXT_IP = 61155;
constexpr uint32_t TEXT_NAME = 61156, TEXT_SERVICE = 61157, TEXT_DEBUG = 61158;
constexpr uint32_t TEXT_DBL_D = 61159, TEXT_DBL_T = 61160, TEXT_X_POS = 61161;
constexpr uint32_t TEXT_SET = 61165, TEXT_MANUAL = 61166;
constexpr uint32_t TEXT_DRIVER_FIRST = 61142;  // Model ... Function Button 2
}  // namespace

CStatusDispWindow::CStatusDispWindow(StatusDispContext context, ServiceModeRunner runner,
                                     QWidget* parent)
    : QDialog(parent),
      m_logic(context, *this),
      m_strings(context.m_strings),
      m_runner(std::move(runner)),
      m_fields(FIELD_COUNT, nullptr) {
  setWindowTitle(Text(TEXT_CAPTION));
  connect(&m_refresh, &QTimer::timeout, this, [this] {
    m_logic.OnTimer(CStatusDispDlg::REFRESH_TIMER_ID);
    Mirror();
  });
  auto* all = new QVBoxLayout(this);
  all->addWidget(BuildDriverInfo());
  all->addWidget(BuildButtonState());
  all->addWidget(BuildSystemInfo());
  m_pService = new QPushButton(Text(TEXT_SERVICE), this);
  m_pService->setAutoDefault(false);
  connect(m_pService, &QPushButton::clicked, this, [this] {
    m_logic.OnServiceMode();
    Mirror();
  });
  all->addWidget(m_pService, 0, Qt::AlignRight);
  m_pDebug = BuildDebug();
  all->addWidget(m_pDebug);
  // The window ends where "Debug" begins: the manual area stays out of sight.
  m_pDebug->hide();
  all->setSizeConstraint(QLayout::SetFixedSize);
  m_logic.OnInitDialog();
  Mirror();
}

QString CStatusDispWindow::Text(uint32_t id) const { return QtText(m_strings, id); }

QLabel* CStatusDispWindow::NewField(FieldIndex index, bool framed) {
  auto* label = new QLabel(this);
  label->setTextInteractionFlags(Qt::TextSelectableByMouse);
  if (framed) {
    label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    label->setAlignment(Qt::AlignCenter);
    label->setFixedWidth(label->fontMetrics().horizontalAdvance("WW") + 8);
  } else {
    label->setMinimumWidth(label->fontMetrics().horizontalAdvance("Pen Software Link  "));
  }
  m_fields[index] = label;
  return label;
}

QWidget* CStatusDispWindow::BuildDriverInfo() {
  auto* group = new QGroupBox(Text(TEXT_DRIVER_INFO), this);
  auto* grid = new QGridLayout(group);
  for (int i = MODEL; i <= BUTTON2; ++i) {
    grid->addWidget(new QLabel(Text(TEXT_DRIVER_FIRST + static_cast<uint32_t>(i)), group), i, 0);
    grid->addWidget(NewField(static_cast<FieldIndex>(i)), i, 1);
  }
  grid->setColumnStretch(1, 1);
  return group;
}

QWidget* CStatusDispWindow::BuildButtonState() {
  auto* box = new QWidget(this);
  auto* grid = new QGridLayout(box);
  grid->setContentsMargins(0, 0, 0, 0);
  grid->addWidget(new QLabel(Text(TEXT_BUTTON_STATE), box), 0, 0);
  auto* indicators = new QHBoxLayout;
  for (int i = 0; i < 3; ++i) {
    indicators->addWidget(new QLabel(Text(TEXT_L + static_cast<uint32_t>(i)), box));
    indicators->addWidget(NewField(static_cast<FieldIndex>(IND_L + i), true));
  }
  indicators->addStretch(1);
  grid->addLayout(indicators, 0, 1);
  grid->addWidget(new QLabel(Text(TEXT_MOUSE), box), 1, 0);
  grid->addWidget(NewField(MOUSE), 1, 1);
  grid->addWidget(new QLabel(Text(TEXT_ROTATION), box), 2, 0);
  grid->addWidget(NewField(ROTATION), 2, 1);
  grid->setColumnStretch(1, 1);
  return box;
}

QWidget* CStatusDispWindow::BuildSystemInfo() {
  auto* group = new QGroupBox(Text(TEXT_SYSTEM_INFO), this);
  auto* grid = new QGridLayout(group);
  m_pAddresses = new QComboBox(group);
  m_pAddresses->setMinimumContentsLength(16);
  m_pNames = new QListWidget(group);
  m_pNames->setFixedHeight(m_pNames->fontMetrics().lineSpacing() * 2 + 6);
  m_pNames->installEventFilter(this);
  grid->addWidget(new QLabel(Text(TEXT_IP), group), 0, 0);
  grid->addWidget(m_pAddresses, 0, 1);
  grid->addWidget(new QLabel(Text(TEXT_NAME), group), 1, 0);
  grid->addWidget(m_pNames, 1, 1);
  grid->setColumnStretch(1, 1);
  return group;
}

QGroupBox* CStatusDispWindow::BuildDebug() {
  auto* group = new QGroupBox(Text(TEXT_DEBUG), this);
  auto* grid = new QGridLayout(group);
  grid->addWidget(new QLabel(Text(TEXT_DBL_D), group), 0, 0);
  grid->addWidget(NewField(DBL_WIDTH), 0, 1);
  grid->addWidget(new QLabel(Text(TEXT_DBL_T), group), 1, 0);
  grid->addWidget(NewField(DBL_TIME), 1, 1);
  auto* manual = new QGroupBox(Text(TEXT_MANUAL), group);
  auto* row = new QGridLayout(manual);
  for (int i = 0; i < 4; ++i) {
    row->addWidget(new QLabel(Text(TEXT_X_POS + static_cast<uint32_t>(i)), manual), 0, i);
    m_manual.push_back(new QLineEdit(manual));
    row->addWidget(m_manual.back(), 1, i);
  }
  auto* set = new QPushButton(Text(TEXT_SET), manual);
  set->setAutoDefault(false);
  // X-Pos and Y-Pos are the ratios, X-Start and Y-Start the offsets.
  connect(set, &QPushButton::clicked, this, [this] {
    m_logic.OnSet(m_manual[0]->text().toStdString(), m_manual[2]->text().toStdString(),
                  m_manual[1]->text().toStdString(), m_manual[3]->text().toStdString());
  });
  row->addWidget(set, 1, 4);
  grid->addWidget(manual, 2, 0, 1, 2);
  return group;
}

void CStatusDispWindow::Mirror() {
  const StatusFields& f = m_logic.Fields();
  const std::string dbl = f.m_sDblWidth + " x " + f.m_sDblHeight;
  const std::string* texts[FIELD_COUNT] = {
      &f.m_sModel,       &f.m_sDriverVersion, &f.m_sInputMode,   &f.m_sTouchMode, &f.m_sButton1,
      &f.m_sButton2,     &f.m_sIndicatorL,    &f.m_sIndicatorB1, &f.m_sIndicatorB2,
      &f.m_sMouse,       &f.m_sRotation,      &dbl,              &f.m_sDblTime};
  for (int i = 0; i < FIELD_COUNT; ++i) {
    const QString text = QString::fromStdString(*texts[i]);
    if (m_fields[i]->text() != text) m_fields[i]->setText(text);
  }
  if (f.m_addresses != m_shownAddresses) {
    m_shownAddresses = f.m_addresses;
    m_pAddresses->clear();
    for (const std::string& a : f.m_addresses) m_pAddresses->addItem(QString::fromStdString(a));
    m_pAddresses->setCurrentIndex(f.m_iSelectedAddress);
  }
  const QString name = f.m_names.empty() ? QString() : QString::fromStdString(f.m_names[0]);
  if (m_pNames->count() != 1 || m_pNames->item(0)->text() != name) {
    m_pNames->clear();
    m_pNames->addItem(name);
  }
  m_pService->setEnabled(f.m_bServiceEnabled);
}

void CStatusDispWindow::StartTimer(uint32_t, uint32_t ms) { m_refresh.start(static_cast<int>(ms)); }
void CStatusDispWindow::StopTimer(uint32_t) { m_refresh.stop(); }

void CStatusDispWindow::RunServiceMode(bool firmwareManaged) {
  if (m_runner) m_runner(firmwareManaged);
}

void CStatusDispWindow::keyPressEvent(QKeyEvent* event) {
  // Enter and Esc would end a dialog; this one stays until it is closed.
  switch (event->key()) {
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Escape:
      event->accept();
      return;
    default:
      QDialog::keyPressEvent(event);
  }
}

void CStatusDispWindow::closeEvent(QCloseEvent* event) {
  m_logic.OnClose();
  event->accept();
}

void CStatusDispWindow::showEvent(QShowEvent* event) {
  QDialog::showEvent(event);
  m_logic.OnShow();
  Mirror();
}

bool CStatusDispWindow::eventFilter(QObject* watched, QEvent* event) {
  if (watched == m_pNames && event->type() == QEvent::FocusOut) m_pNames->clearSelection();
  return QDialog::eventFilter(watched, event);
}

}  // namespace kv
