#include "optrim/ui/qt/MainDlg.h"

#include <QCoreApplication>

#include "optrim/ui/qt/OptrimContext.h"

namespace kv {

CMainDlg::CMainDlg(OptrimContext& context) : m_context(context) {}

CMainDlg::~CMainDlg() {
  ClosePanel();
  delete m_pSensor;
}

void CMainDlg::Start() {
  m_pSensor = new CTevraDlg(m_context, *this);
  m_pSensor->Start();
}

void CMainDlg::PostToMain(uint32_t message, int, CTouchDevBase* device) {
  QMetaObject::invokeMethod(this, [this, message, device] { OnMessage(message, device); },
                            Qt::QueuedConnection);
}

void CMainDlg::OnMessage(uint32_t message, CTouchDevBase* device) {
  if (m_context.trace) m_context.trace("CMainDlg: message " + std::to_string(message));
  switch (message) {
    case MAIN_MSG_OPEN_PANEL: OpenPanel(device); break;
    case MAIN_MSG_CLOSE_PANEL: ClosePanel(); break;
    case MAIN_MSG_END_PROGRAM:
      if (m_bEnding) break;
      m_bEnding = true;
      ClosePanel();
      delete m_pSensor;  // its device goes with it: mode 0, threads stopped
      PostToMain(MAIN_MSG_END_DIALOG, 0, nullptr);
      break;
    case MAIN_MSG_END_DIALOG: QCoreApplication::quit(); break;
    default: break;
  }
}

void CMainDlg::OpenPanel(CTouchDevBase* device) {
  // Only the sensor window's current device may get a panel.
  if (!device || m_bEnding || !m_pSensor || m_pSensor->Logic().Device() != device) return;
  if (m_pPanel) {
    m_pPanel->BringToFront();
    return;
  }
  m_pPanel = new CSettingPanelDlg(m_context, *device, *this, &m_placement);
  m_pPanel->setAttribute(Qt::WA_DeleteOnClose);
  m_pPanel->Start();
}

void CMainDlg::ClosePanel() {
  if (m_pPanel) delete m_pPanel;
}

}  // namespace kv
