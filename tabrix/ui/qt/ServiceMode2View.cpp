#include "tabrix/ui/qt/ServiceMode2View.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

#include "tabrix/ui/qt/QtText.h"

namespace kv {

namespace {
constexpr uint32_t TEXT_CAPTION = 61214, TEXT_SERVICE_INFO = 61215, TEXT_VERSION = 61219;
constexpr uint32_t TEXT_CHECKSUM = 61220, TEXT_USB = 61223, TEXT_OK = 61210;
}  // namespace

CServiceMode2View::CServiceMode2View(const CServiceMode2Dlg& logic, const CStringTable& strings,
                                     QWidget* parent)
    : QDialog(parent),
      m_pUsb(new QLineEdit(QString::fromStdString(logic.Usb()), this)),
      m_pVersion(new QLineEdit(QString::fromStdString(logic.Version()), this)),
      m_pVerdict(new QLineEdit(QString::fromStdString(logic.Verdict()), this)),
      m_pChecksum(new QLineEdit(QString::fromStdString(logic.Checksum()), this)) {
  setWindowTitle(QtText(strings, TEXT_CAPTION));
  for (QLineEdit* e : {m_pUsb, m_pVersion, m_pVerdict, m_pChecksum}) {
    e->setReadOnly(true);
    e->setMinimumWidth(e->fontMetrics().horizontalAdvance("Touch panel") + 16);
  }
  if (logic.VerdictColoured()) {
    const uint32_t rgb = logic.VerdictColour();
    QPalette palette = m_pVerdict->palette();
    palette.setColor(QPalette::Text, QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF));
    m_pVerdict->setPalette(palette);
  }
  auto* group = new QGroupBox(QtText(strings, TEXT_SERVICE_INFO), this);
  auto* grid = new QGridLayout(group);
  grid->addWidget(new QLabel(QtText(strings, TEXT_USB), group), 0, 0);
  grid->addWidget(m_pUsb, 0, 1);
  grid->addWidget(new QLabel(QtText(strings, TEXT_VERSION), group), 1, 0);
  grid->addWidget(m_pVersion, 1, 1);
  grid->addWidget(new QLabel(QtText(strings, TEXT_CHECKSUM), group), 2, 0);
  grid->addWidget(m_pVerdict, 2, 1);
  grid->addWidget(m_pChecksum, 2, 2);
  auto* ok = new QPushButton(QtText(strings, TEXT_OK), this);
  ok->setDefault(true);
  connect(ok, &QPushButton::clicked, this, &QDialog::accept);
  auto* all = new QVBoxLayout(this);
  all->addWidget(group);
  all->addWidget(ok, 0, Qt::AlignRight);
}

}  // namespace kv
