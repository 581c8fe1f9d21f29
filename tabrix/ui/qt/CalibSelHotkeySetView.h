#pragma once
// The hot key dialog: "CTRL + SHIFT +" and a list of the keys that are free now.
#include <QComboBox>
#include <QDialog>

#include "resources/StringTable.h"
#include "tabrix/ui/CalibSelHotkeySetDlg.h"

namespace kv {

class CCalibSelHotkeySetView : public QDialog {
  Q_OBJECT
 public:
  CCalibSelHotkeySetView(CCalibSelHotkeySetDlg& logic, const CStringTable& strings,
                         QWidget* parent);

 private:
  CCalibSelHotkeySetDlg& m_logic;
  QComboBox* m_pList;
};

}  // namespace kv
