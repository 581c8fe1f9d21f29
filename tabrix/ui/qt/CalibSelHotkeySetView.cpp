#include "tabrix/ui/qt/CalibSelHotkeySetView.h"

#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

#include "tabrix/ui/qt/QtText.h"

namespace kv {

namespace {
constexpr uint32_t TITLE_ID = 61320, PREFIX_ID = 61321, OK_ID = 61310, CANCEL_ID = 61311;
}

CCalibSelHotkeySetView::CCalibSelHotkeySetView(CCalibSelHotkeySetDlg& logic,
                                               const CStringTable& strings, QWidget* parent)
    : QDialog(parent), m_logic(logic), m_pList(new QComboBox(this)) {
  setWindowTitle(QtText(strings, TITLE_ID));
  setObjectName("CalibSelHotkeySet");
  m_logic.Open();
  for (char key : m_logic.Candidates()) m_pList->addItem(QString(QChar(key)));
  m_pList->setCurrentIndex(m_logic.Selected());
  auto* row = new QHBoxLayout;
  row->addWidget(new QLabel(QtText(strings, PREFIX_ID), this));
  row->addWidget(m_pList, 1);
  auto* ok = new QPushButton(QtText(strings, OK_ID), this);
  auto* cancel = new QPushButton(QtText(strings, CANCEL_ID), this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, [this] {
    if (m_logic.Ok(m_pList->currentIndex())) accept();
  });
  connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(ok);
  buttons->addWidget(cancel);
  auto* all = new QVBoxLayout(this);
  all->addLayout(row);
  all->addLayout(buttons);
  layout()->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace kv
