#include "tabrix/ui/qt/AskReleasePasswordView.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStyle>
#include <QVBoxLayout>

namespace kv {

CAskReleasePasswordView::CAskReleasePasswordView(CAskReleasePasswordDlg& logic, QWidget* parent)
    : QDialog(parent), m_logic(logic) {
  setWindowTitle(QString::fromStdString(logic.Caption()));
  auto text = [&](uint32_t id) { return QString::fromStdString(logic.Text(id)); };
  auto* icon = new QLabel(this);
  icon->setPixmap(style()->standardIcon(QStyle::SP_MessageBoxQuestion).pixmap(32, 32));
  auto* lines = new QVBoxLayout;
  lines->addWidget(new QLabel(text(CAskReleasePasswordDlg::FIRST_LINE_ID), this));
  lines->addWidget(new QLabel(text(CAskReleasePasswordDlg::SECOND_LINE_ID), this));
  m_pCheck = new QCheckBox(text(CAskReleasePasswordDlg::CHECK_BOX_ID), this);
  lines->addSpacing(8);
  lines->addWidget(m_pCheck);
  auto* top = new QHBoxLayout;
  top->addWidget(icon, 0, Qt::AlignTop);
  top->addLayout(lines, 1);
  auto* yes = new QPushButton(text(CAskReleasePasswordDlg::YES_ID), this);
  auto* no = new QPushButton(text(CAskReleasePasswordDlg::NO_ID), this);
  yes->setDefault(true);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch(1);
  buttons->addWidget(yes);
  buttons->addWidget(no);
  auto* all = new QVBoxLayout(this);
  all->addLayout(top);
  all->addLayout(buttons);
  connect(yes, &QPushButton::clicked, this,
          [this] { done(m_logic.Press(true, m_pCheck->isChecked())); });
  connect(no, &QPushButton::clicked, this,
          [this] { done(m_logic.Press(false, m_pCheck->isChecked())); });
}

}  // namespace kv
