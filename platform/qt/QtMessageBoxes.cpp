#include "platform/qt/QtMessageBoxes.h"

#include <QGuiApplication>
#include <QAbstractButton>
#include <QMessageBox>

namespace kv {

namespace {

QMessageBox::Icon IconOf(uint32_t flags) {
  switch (flags & 0xF0) {
    case MBF_ICON_HAND: return QMessageBox::Critical;
    case MBF_ICON_QUESTION: return QMessageBox::Question;
    case MBF_ICON_EXCLAMATION: return QMessageBox::Warning;
    case MBF_ICON_ASTERISK: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
  }
}

bool Interactive() {
  const QString platform = QGuiApplication::platformName();
  return platform != "offscreen" && platform != "minimal";
}

}  // namespace

int CQtMessageBoxes::DefaultAnswer(uint32_t flags) {
  return (flags & 0xF) == MBF_YES_NO ? MBR_NO : MBR_OK;
}

int CQtMessageBoxes::Show(const std::string& text, const std::string& caption, uint32_t flags) {
  if (!m_answers.empty() || !Interactive()) {
    m_unshown.push_back(text);
    if (m_answers.empty()) return DefaultAnswer(flags);
    int answer = m_answers.front();
    m_answers.pop_front();
    return answer;
  }
  // Windows texts break lines with "\r\n"; Qt wants "\n" alone.
  QString body = QString::fromStdString(text);
  body.replace("\r\n", "\n");
  QMessageBox box(IconOf(flags), QString::fromStdString(caption), body);
  const bool yesNo = (flags & 0xF) == MBF_YES_NO;
  if (yesNo) {
    box.setStandardButtons(QMessageBox::Yes | QMessageBox::No);
    box.setDefaultButton((flags & MBF_DEFAULT_BUTTON_2) ? QMessageBox::No : QMessageBox::Yes);
    // As on Windows, the letters alone answer: texts tell the user to press [Y] or [N].
    box.button(QMessageBox::Yes)->setShortcut(QKeySequence(Qt::Key_Y));
    box.button(QMessageBox::No)->setShortcut(QKeySequence(Qt::Key_N));
  } else {
    box.setStandardButtons(QMessageBox::Ok);
  }
  if (flags & MBF_TOPMOST) box.setWindowFlag(Qt::WindowStaysOnTopHint);
  if (flags & (MBF_TOPMOST | MBF_SET_FOREGROUND)) {
    box.show();
    box.raise();
    box.activateWindow();
  }
  const int pressed = box.exec();
  if (!yesNo) return MBR_OK;
  return pressed == QMessageBox::Yes ? MBR_YES : MBR_NO;
}

}  // namespace kv
