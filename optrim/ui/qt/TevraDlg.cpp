#include "optrim/ui/qt/TevraDlg.h"

#include <QApplication>
#include <QContextMenuEvent>
#include <QGridLayout>
#include <QMenu>
#include <QMessageBox>

#include "optrim/device/TouchDevFactory.h"
#include "optrim/ui/Format.h"
#include "optrim/ui/OptrimStrings.h"
#include "optrim/ui/qt/OptrimContext.h"

#ifndef KV_VERSION
#define KV_VERSION "1.0.0"
#endif

namespace kv {

namespace {

// Control ids of the sensor window, kept as the buttons' object names.
struct ButtonSpec {
  int id;
  uint32_t caption;
};
constexpr ButtonSpec BUTTONS[] = {
    {1015, optrim_str::BUTTON_CONNECT},     {1008, optrim_str::BUTTON_DISCONNECT},
    {1013, optrim_str::BUTTON_CALIBRATION}, {1010, optrim_str::BUTTON_ADJUST},
    {1006, optrim_str::BUTTON_CLEAR},       {1004, optrim_str::BUTTON_EXIT},
};

}  // namespace

CTevraDlg::CTevraDlg(OptrimContext& context, OptrimHost& host)
    : QDialog(nullptr), m_context(context), m_host(host) {
  setWindowTitle(QString::fromStdString(context.strings.Get(optrim_str::SENSOR_WINDOW_TITLE)));
  auto factory = [&context](int type) {
    std::unique_ptr<CTouchDevBase> dev =
        CreateTouchDev(type, context.bus, context.clock, &context.broadcaster);
    if (dev) dev->SetSettingsPath(context.settingsPath);
    return dev;
  };
  m_pLogic = std::make_unique<CSensorWindow>(factory, *this, host, context.boxes, context.clock,
                                             context.strings, context.failureCaption,
                                             &context.broadcaster, context.trace);
  m_pLog = new QListWidget(this);
  m_pLog->setObjectName("1005");
  m_pAutoExitOff =
      new QCheckBox(QString::fromStdString(context.strings.Get(optrim_str::AUTO_EXIT_OFF)), this);
  m_pAutoExitOff->setObjectName("1060");
  m_pAutoExitOff->hide();  // a debug control, like 3, 4 and 1155, which have no use here
  connect(m_pAutoExitOff, &QCheckBox::toggled, this,
          [this](bool on) { m_pLogic->SetAutoExitOff(on); });
  BuildButtons();
  resize(285, 330);  // narrow enough to leave the calibration panel (x = 300) uncovered
}

CTevraDlg::~CTevraDlg() {
  for (auto& [id, timer] : m_timers) timer->stop();
  if (m_bWaitCursor) QApplication::restoreOverrideCursor();
}

void CTevraDlg::BuildButtons() {
  auto* grid = new QGridLayout(this);
  grid->addWidget(m_pLog, 0, 0, 1, 2);
  int n = 0;
  for (const ButtonSpec& button : BUTTONS) {
    auto* b = new QPushButton(QString::fromStdString(m_context.strings.Get(button.caption)), this);
    b->setObjectName(QString::number(button.id));
    b->setAutoDefault(false);
    b->setMinimumHeight(32);
    grid->addWidget(b, 1 + n / 2, n % 2);
    ++n;
    const int id = button.id;
    connect(b, &QPushButton::clicked, this, [this, id] {
      switch (id) {
        case 1015:
          m_pLogic->Connect(QApplication::keyboardModifiers() & Qt::ShiftModifier);
          break;
        case 1008: m_pLogic->Disconnect(); break;
        case 1013:
          if (m_pLogic->Device()) m_host.PostToMain(MAIN_MSG_OPEN_PANEL, 7, m_pLogic->Device());
          break;
        case 1010: m_host.PostToMain(MAIN_MSG_CLOSE_PANEL, 7, nullptr); break;
        case 1006: m_pLogic->ClearLog(); break;
        case 1004: m_host.PostToMain(MAIN_MSG_END_PROGRAM, 0, nullptr); break;
        default: break;
      }
    });
  }
  grid->addWidget(m_pAutoExitOff, 4, 0, 1, 2);
}

void CTevraDlg::Start() {
  move(7, 7);
  show();
  m_pLogic->Open();
}

void CTevraDlg::Changed() {
  const auto& log = m_pLogic->Log();
  if (log.size() < m_uShownLines) {
    m_pLog->clear();
    m_uShownLines = 0;
  }
  for (; m_uShownLines < log.size(); ++m_uShownLines)
    m_pLog->addItem(QString::fromStdString(log[m_uShownLines]));
  m_pLog->scrollToBottom();
  setEnabled(m_pLogic->Enabled());
  if (m_pLogic->WaitCursor() != m_bWaitCursor) {
    m_bWaitCursor = m_pLogic->WaitCursor();
    if (m_bWaitCursor)
      QApplication::setOverrideCursor(Qt::WaitCursor);
    else
      QApplication::restoreOverrideCursor();
  }
}

void CTevraDlg::StartTimer(int id, uint32_t ms) {
  QTimer*& timer = m_timers[id];
  if (!timer) {
    timer = new QTimer(this);
    connect(timer, &QTimer::timeout, this, [this, id] { m_pLogic->OnTimer(id); });
  }
  timer->start(static_cast<int>(ms));
}

void CTevraDlg::StopTimer(int id) {
  auto it = m_timers.find(id);
  if (it != m_timers.end()) it->second->stop();
}

void CTevraDlg::PostDisconnect() {
  QMetaObject::invokeMethod(this, [this] { m_pLogic->OnDisconnectMessage(); },
                            Qt::QueuedConnection);
}

void CTevraDlg::contextMenuEvent(QContextMenuEvent* event) {
  // X11 gives a program no system menu of its own window; the about entry lives here.
  QMenu menu(this);
  menu.addAction(QString::fromStdString(m_context.strings.Get(optrim_str::ABOUT_ENTRY)), this,
                 [this] { ShowAbout(); });
  menu.exec(event->globalPos());
}

void CTevraDlg::ShowAbout() {
  const CStringTable& s = m_context.strings;
  QMessageBox::about(this, QString::fromStdString(s.Get(optrim_str::PROGRAM_NAME)),
                     QString::fromStdString(FormatText(s.Get(optrim_str::ABOUT_VERSION), KV_VERSION)));
}

void CTevraDlg::reject() {
  // Escape or the close box ends the program, as the exit button does.
  m_host.PostToMain(MAIN_MSG_END_PROGRAM, 0, nullptr);
}

}  // namespace kv
