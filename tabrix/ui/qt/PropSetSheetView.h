#pragma once
// The property sheet: one tab per page the logic holds, OK and Cancel at the bottom right
// (OK alone in the OK-only layout). OK runs the pages' OK and closes with accept.
#include <QDialog>

#include "resources/StringTable.h"
#include "tabrix/ui/PropSetSheet.h"

class QPushButton;
class QTabWidget;

namespace kv {

class CDblClickIntervalSetPageView;
class CDblClickSetPageView;
class CPenButtonSetPageView;

class CPropSetSheetView : public QDialog {
  Q_OBJECT
 public:
  CPropSetSheetView(CPropSetSheet& logic, const CStringTable& strings, QWidget* parent = nullptr);

  QTabWidget* Tabs() const { return m_pTabs; }
  QPushButton* OkButton() const { return m_pOk; }
  QPushButton* CancelButton() const { return m_pCancel; }
  CDblClickSetPageView* RangeView() const { return m_pRange; }
  CDblClickIntervalSetPageView* SpeedView() const { return m_pSpeed; }
  CPenButtonSetPageView* OperationView() const { return m_pOperation; }

 private:
  void ActivateCurrent();

  CPropSetSheet& m_logic;
  QTabWidget* m_pTabs;
  QPushButton* m_pOk;
  QPushButton* m_pCancel;
  CDblClickSetPageView* m_pRange = nullptr;
  CDblClickIntervalSetPageView* m_pSpeed = nullptr;
  CPenButtonSetPageView* m_pOperation = nullptr;
};

}  // namespace kv
