#include "tabrix/ui/qt/PropSetSheetView.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

#include "tabrix/ui/qt/DblClickIntervalSetPageView.h"
#include "tabrix/ui/qt/DblClickSetPageView.h"
#include "tabrix/ui/qt/PenButtonSetPageView.h"
#include "tabrix/ui/qt/QtText.h"

namespace kv {

namespace {
constexpr uint32_t TEXT_OK = 61210;
constexpr uint32_t TEXT_CANCEL = 61108;
}  // namespace

CPropSetSheetView::CPropSetSheetView(CPropSetSheet& logic, const CStringTable& strings,
                                     QWidget* parent)
    : QDialog(parent), m_logic(logic), m_pTabs(new QTabWidget(this)) {
  setWindowTitle(QtText(strings, CPropSetSheet::CAPTION_ID));
  for (CPropSetSheet::Page page : logic.Pages()) {
    switch (page) {
      case CPropSetSheet::RANGE_PAGE:
        m_pRange = new CDblClickSetPageView(*logic.RangePage(), strings, m_pTabs);
        m_pTabs->addTab(m_pRange, QtText(strings, CDblClickSetPage::CAPTION_ID));
        break;
      case CPropSetSheet::SPEED_PAGE:
        m_pSpeed = new CDblClickIntervalSetPageView(*logic.SpeedPage(), strings, m_pTabs);
        m_pTabs->addTab(m_pSpeed, QtText(strings, CDblClickIntervalSetPage::CAPTION_ID));
        break;
      case CPropSetSheet::OPERATION_PAGE:
        m_pOperation = new CPenButtonSetPageView(logic.OperationPage(), strings, m_pTabs);
        m_pTabs->addTab(m_pOperation, QtText(strings, CPenButtonSetPage::CAPTION_ID));
        break;
    }
  }
  // Every page's caption stays whole: the sheet grows to its tabs instead of scrolling them.
  m_pTabs->setUsesScrollButtons(false);
  m_pTabs->setElideMode(Qt::ElideNone);
  auto* buttons = new QDialogButtonBox(this);
  m_pOk = buttons->addButton(QtText(strings, TEXT_OK), QDialogButtonBox::AcceptRole);
  m_pCancel = buttons->addButton(QtText(strings, TEXT_CANCEL), QDialogButtonBox::RejectRole);
  m_pCancel->setVisible(logic.Layout() == CPropSetSheet::OK_AND_CANCEL);
  m_pOk->setDefault(true);
  connect(buttons, &QDialogButtonBox::accepted, this, [this] {
    m_logic.OnOk();
    accept();
  });
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  connect(m_pTabs, &QTabWidget::currentChanged, this, [this] { ActivateCurrent(); });
  auto* all = new QVBoxLayout(this);
  all->addWidget(m_pTabs);
  all->addWidget(buttons);
  ActivateCurrent();
}

void CPropSetSheetView::ActivateCurrent() {
  QWidget* current = m_pTabs->currentWidget();
  if (current && current == m_pRange) m_pRange->Activate();
  if (current && current == m_pSpeed) m_pSpeed->Activate();
}

}  // namespace kv
