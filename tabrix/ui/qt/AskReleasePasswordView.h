#pragma once
// The screen-saver question as a dialog: question icon, the two lines, the check box and
// Yes / No.
#include <QDialog>

#include "tabrix/ui/AskReleasePasswordDlg.h"

class QCheckBox;

namespace kv {

class CAskReleasePasswordView : public QDialog {
  Q_OBJECT
 public:
  CAskReleasePasswordView(CAskReleasePasswordDlg& logic, QWidget* parent = nullptr);
  QCheckBox* CheckBox() const { return m_pCheck; }

 private:
  CAskReleasePasswordDlg& m_logic;
  QCheckBox* m_pCheck;
};

}  // namespace kv
