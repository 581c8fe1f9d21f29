#include "tabrix/ui/qt/AboutView.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QVBoxLayout>

namespace kv {

CAboutView::CAboutView(const CAboutDlg& logic, const QIcon& icon, const QString& okText,
                       QWidget* parent)
    : QDialog(parent) {
  setWindowTitle(QString::fromStdString(logic.Caption()));
  auto* picture = new QLabel(this);
  picture->setPixmap(icon.pixmap(32, 32));
  auto* texts = new QVBoxLayout;
  texts->addWidget(new QLabel(QString::fromStdString(logic.VersionLine()), this));
  texts->addWidget(new QLabel(QString::fromStdString(logic.Copyright()), this));
  auto* ok = new QPushButton(okText, this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* top = new QHBoxLayout;
  top->addWidget(picture, 0, Qt::AlignTop);
  top->addLayout(texts, 1);
  top->addWidget(ok, 0, Qt::AlignTop);
  auto* all = new QVBoxLayout(this);
  all->addLayout(top);
  layout()->setSizeConstraint(QLayout::SetFixedSize);
}

}  // namespace kv
