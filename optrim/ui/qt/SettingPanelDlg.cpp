#include "optrim/ui/qt/SettingPanelDlg.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

#include "optrim/ui/OptrimStrings.h"
#include "optrim/ui/qt/OptrimContext.h"

namespace kv {

CSettingPanelDlg::CSettingPanelDlg(OptrimContext& context, CTouchDevBase& device,
                                   OptrimHost& host, PanelPlacement* placement)
    : QDialog(nullptr), m_context(context), m_link(device) {
  const CStringTable& s = context.strings;
  setWindowTitle(QString::fromStdString(s.Get(optrim_str::PANEL_TITLE)));
  m_pPrecise = new QPushButton(QString::fromStdString(s.Get(optrim_str::BUTTON_PRECISE)), this);
  m_pBasic = new QPushButton(QString::fromStdString(s.Get(optrim_str::BUTTON_BASIC)), this);
  m_pFlash = new QPushButton(QString::fromStdString(s.Get(optrim_str::BUTTON_FLASH)), this);
  auto* layout = new QVBoxLayout(this);
  for (QPushButton* b : {m_pPrecise, m_pBasic, m_pFlash}) {
    b->setMinimumHeight(36);
    b->setAutoDefault(false);
    layout->addWidget(b);
  }
  setMinimumWidth(320);
  m_pLogic = std::make_unique<CCalibrationPanel>(
      m_link, reinterpret_cast<uintptr_t>(&device), *this, host, context.boxes, context.clock,
      s, context.startSwitch, placement, &context.broadcaster);
  connect(m_pPrecise, &QPushButton::clicked, this, [this] { m_pLogic->StartCalibration(false); });
  connect(m_pBasic, &QPushButton::clicked, this, [this] { m_pLogic->StartCalibration(true); });
  connect(m_pFlash, &QPushButton::clicked, this, [this] { m_pLogic->WriteFlash(); });
}

CSettingPanelDlg::~CSettingPanelDlg() {
  m_pLogic->OnClose(x(), y());
  DestroyScreen();
}

void CSettingPanelDlg::Start() {
  const QRect avail = QGuiApplication::primaryScreen()->availableGeometry();
  show();
  m_pLogic->Open(avail.top(), avail.height());
}

void CSettingPanelDlg::Changed() {
  m_pPrecise->setText(QString::fromStdString(m_pLogic->PreciseCaption()));
  m_pBasic->setText(QString::fromStdString(m_pLogic->BasicCaption()));
  setEnabled(m_pLogic->Enabled());
  if (!m_bPlaced) {
    move(m_pLogic->X(), m_pLogic->Y());
    m_bPlaced = true;
  }
}

void CSettingPanelDlg::OpenScreen(bool basic) {
  auto onClosed = [panel = QPointer<CSettingPanelDlg>(this)] {
    if (panel) panel->m_pLogic->OnScreenClosed();
  };
  m_pScreen = new CCalScreenDlg(CCalScreenDlg::SetupForScreen(basic, m_context.rotation), m_link,
                                m_context.boxes, m_context.clock, m_context.strings,
                                &m_context.broadcaster, onClosed, m_context.trace);
}

void CSettingPanelDlg::DestroyScreen() {
  if (!m_pScreen) return;
  m_pScreen->Shutdown();
  m_pScreen->deleteLater();
  m_pScreen = nullptr;
}

void CSettingPanelDlg::BringToFront() {
  raise();
  activateWindow();
}

void CSettingPanelDlg::closeEvent(QCloseEvent* event) {
  m_pLogic->OnClose(x(), y());
  DestroyScreen();
  QDialog::closeEvent(event);
}

}  // namespace kv
