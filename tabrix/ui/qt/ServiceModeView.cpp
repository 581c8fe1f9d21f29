#include "tabrix/ui/qt/ServiceModeView.h"

#include <QApplication>
#include <QEventLoop>
#include <QGridLayout>
#include <QGroupBox>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTreeWidget>
#include <QVBoxLayout>
#include <thread>

#include "tabrix/ui/qt/BannerDialog.h"
#include "tabrix/ui/qt/QtText.h"

namespace kv {

namespace {
constexpr uint32_t TEXT_CAPTION = 61214, TEXT_SERVICE_INFO = 61215, TEXT_LED = 61216;
constexpr uint32_t TEXT_SENSOR = 61217, TEXT_FIRMWARE_INFO = 61218, TEXT_VERSION = 61219;
constexpr uint32_t TEXT_CHECKSUM = 61220, TEXT_USE_MOUSE = 61221, TEXT_SELF_TEST = 61222;

template <size_t N>
void AddRows(QTreeWidget* list, const std::vector<std::array<std::string, N>>& rows) {
  list->clear();
  for (const auto& row : rows) {
    auto* item = new QTreeWidgetItem(list);
    for (size_t i = 0; i < N; ++i) {
      item->setText(static_cast<int>(i), QString::fromStdString(row[i]));
      item->setTextAlignment(static_cast<int>(i), Qt::AlignCenter);
    }
  }
}

QColor Colour(uint32_t rgb) { return QColor((rgb >> 16) & 0xFF, (rgb >> 8) & 0xFF, rgb & 0xFF); }

}  // namespace

CServiceModeView::CServiceModeView(CServiceModeDlg& logic, ServiceModePort& port,
                                   const CStringTable& strings, BannerLook guide, QWidget* parent)
    : QDialog(parent),
      m_logic(logic),
      m_port(port),
      m_guide(std::move(guide)),
      m_pBoards(NewList(logic.BoardColumns(), CServiceModeDlg::BOARD_COLUMN_WIDTH)),
      m_pPoints(NewList(logic.PointColumns(), CServiceModeDlg::POINT_COLUMN_WIDTH)) {
  setWindowTitle(QtText(strings, TEXT_CAPTION));
  auto* group = new QGroupBox(QtText(strings, TEXT_SERVICE_INFO), this);
  auto* grid = new QGridLayout(group);
  grid->addWidget(new QLabel(QtText(strings, TEXT_LED), group), 0, 0, Qt::AlignHCenter);
  grid->addWidget(new QLabel(QtText(strings, TEXT_SENSOR), group), 0, 1, Qt::AlignHCenter);
  grid->addWidget(m_pBoards, 1, 0, 1, 2);
  grid->addWidget(m_pPoints, 2, 0, 1, 2);
  grid->addWidget(BuildFirmwareInfo(strings), 3, 0, 1, 2);
  m_pSelfTest = new QPushButton(QtText(strings, TEXT_SELF_TEST), this);
  m_pSelfTest->setAutoDefault(false);
  connect(m_pSelfTest, &QPushButton::clicked, this, &CServiceModeView::RunSelfTest);
  auto* bottom = new QHBoxLayout;
  bottom->addWidget(new QLabel(QtText(strings, TEXT_USE_MOUSE), this), 1);
  bottom->addWidget(m_pSelfTest);
  auto* all = new QVBoxLayout(this);
  all->addWidget(group);
  all->addLayout(bottom);
  Mirror();
}

QTreeWidget* CServiceModeView::NewList(const std::vector<std::string>& columns, int width) {
  auto* list = new QTreeWidget(this);
  list->setRootIsDecorated(false);
  list->setColumnCount(static_cast<int>(columns.size()));
  QStringList titles;
  for (const std::string& c : columns) titles << QString::fromStdString(c);
  list->setHeaderLabels(titles);
  list->header()->setDefaultAlignment(Qt::AlignCenter);
  list->header()->setStretchLastSection(false);
  for (int i = 0; i < list->columnCount(); ++i) list->setColumnWidth(i, width);
  list->setMinimumWidth(width * list->columnCount() + 24);
  return list;
}

QWidget* CServiceModeView::BuildFirmwareInfo(const CStringTable& strings) {
  auto* group = new QGroupBox(QtText(strings, TEXT_FIRMWARE_INFO), this);
  auto* row = new QHBoxLayout(group);
  m_pVersion = new QLineEdit(group);
  m_pVerdict = new QLineEdit(group);
  m_pChecksum = new QLineEdit(group);
  for (QLineEdit* e : {m_pVersion, m_pVerdict, m_pChecksum}) {
    e->setReadOnly(true);
    e->setFixedWidth(e->fontMetrics().horizontalAdvance("WWWWWW") + 8);
  }
  row->addWidget(new QLabel(QtText(strings, TEXT_VERSION), group));
  row->addWidget(m_pVersion);
  row->addWidget(new QLabel(QtText(strings, TEXT_CHECKSUM), group));
  row->addWidget(m_pVerdict);
  row->addWidget(m_pChecksum);
  return group;
}

void CServiceModeView::Mirror() {
  const FirmwareInfoText& info = m_logic.Info();
  m_pVersion->setText(QString::fromStdString(info.m_sVersion));
  m_pVerdict->setText(QString::fromStdString(info.m_sVerdict));
  QPalette palette = m_pVerdict->palette();
  palette.setColor(QPalette::Text, info.m_bValid ? Colour(info.VerdictColour())
                                                 : this->palette().color(QPalette::Text));
  m_pVerdict->setPalette(palette);
  m_pChecksum->setText(QString::fromStdString(info.m_sChecksum));
  AddRows(m_pBoards, m_logic.Boards());
  AddRows(m_pPoints, m_logic.Points());
}

void CServiceModeView::RunSelfTest() {
  m_logic.BeginSelfTest();
  CBannerDialog guide(m_guide);
  guide.show();
  QApplication::setOverrideCursor(Qt::WaitCursor);
  setEnabled(false);
  // The firmware link blocks its caller until the last record came in; the screen must
  // keep drawing meanwhile.
  std::vector<CheckRecord> records;
  bool received = false;
  QEventLoop wait;
  std::thread worker([&] {
    received = m_port.GetCheckData(&records);
    QMetaObject::invokeMethod(&wait, "quit", Qt::QueuedConnection);
  });
  wait.exec(QEventLoop::ExcludeUserInputEvents);
  worker.join();
  guide.close();
  QApplication::restoreOverrideCursor();
  setEnabled(true);
  m_logic.FinishSelfTest(received, records);
  Mirror();
}

}  // namespace kv
