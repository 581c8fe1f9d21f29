#include "optrim/ui/qt/QtMessageBoxHost.h"

#include <QMessageBox>

namespace kv {

MsgAnswer CQtMessageBoxHost::Show(const std::string& caption, const std::string& text,
                                  MsgIcon icon, MsgButtons buttons) {
  QMessageBox::Icon qicon = QMessageBox::Information;
  switch (icon) {
    case MSG_ICON_INFORMATION: qicon = QMessageBox::Information; break;
    case MSG_ICON_WARNING: qicon = QMessageBox::Warning; break;
    case MSG_ICON_ERROR: qicon = QMessageBox::Critical; break;
    case MSG_ICON_QUESTION: qicon = QMessageBox::Question; break;
  }
  const bool yesNo = buttons == MSG_BUTTONS_YES_NO;
  QMessageBox box(qicon, QString::fromStdString(caption), QString::fromStdString(text),
                  yesNo ? (QMessageBox::Yes | QMessageBox::No) : QMessageBox::Ok, m_pParent);
  // Like a Windows box: the first button is the default, so Enter answers Yes.
  if (yesNo) box.setDefaultButton(QMessageBox::Yes);
  const int rc = box.exec();
  if (!yesNo) return MSG_ANSWER_OK;
  return rc == QMessageBox::Yes ? MSG_ANSWER_YES : MSG_ANSWER_NO;
}

}  // namespace kv
