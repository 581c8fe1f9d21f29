#include "tabrix/ui/qt/SettingsScreens.h"

#include "platform/posix/PosixHostNames.h"
#include "tabrix/ui/qt/QtAppViews.h"
#include "tabrix/firmware/FirmwareServicePort.h"
#include "tabrix/ui/HostAddressCache.h"
#include "tabrix/ui/PropSetSheet.h"
#include "tabrix/ui/StartGuideDlg.h"
#include "tabrix/ui/qt/PropSetSheetView.h"
#include "tabrix/ui/qt/ServiceMode2View.h"
#include "tabrix/ui/qt/ServiceModeView.h"
#include "tabrix/ui/qt/StatusDispWindow.h"

namespace kv {

CSettingsScreens::CSettingsScreens(CAppShell& shell, ScreenHost& host, AppViews& views)
    : m_shell(shell), m_host(host), m_views(views), m_sender(shell), m_actions(shell) {}

CSettingsScreens::~CSettingsScreens() = default;

bool CSettingsScreens::ShowProperties(QWidget* parent) {
  if (!CQtAppViews::Interactive()) return false;
  AppServices& services = m_shell.Services();
  PenButtonPageContext context{m_shell.Settings(),  m_shell.Strings(), services.m_messageBoxes,
                               m_shell.Title(),     m_host,            m_shell.App().PenInput(),
                               m_sender,            services.m_iOsType, m_shell.m_iSingleMode};
  CPropSetSheet sheet(context, services.m_clock, m_shell.App().PenInput().TouchMode());
  sheet.Initialise();
  CPropSetSheetView view(sheet, m_shell.Strings(), parent);
  return view.exec() == QDialog::Accepted;
}

void CSettingsScreens::ShowTestDisplay() {
  if (m_pStatus) {
    m_pStatus->showNormal();
    m_pStatus->raise();
    m_pStatus->activateWindow();
    return;
  }
  AppServices& services = m_shell.Services();
  m_pAddresses = std::make_unique<CHostAddressCache>(std::make_shared<CPosixHostNames>(),
                                                     services.m_clock);
  StatusDispContext context{m_shell.Settings(), services.m_systemParameters,
                            m_shell.App().PenInput(), services.m_clock, m_pointer, *m_pAddresses,
                            m_shell.Strings(), services.m_messageBoxes, m_shell.Title(), m_host,
                            m_actions, m_shell.m_iSingleMode};
  m_pStatus = std::make_unique<CStatusDispWindow>(
      context, [this](bool firmwareManaged) { RunServiceMode(firmwareManaged); });
  m_pStatus->show();
}

void CSettingsScreens::EnableServiceModeButton(bool enable) {
  if (!m_pStatus) return;
  m_pStatus->Logic().EnableServiceMode(enable);
  m_pStatus->Mirror();
}

void CSettingsScreens::RunServiceMode(bool firmwareManaged) {
  CFirmwareServicePort port(m_shell.Firmware());
  const CStringTable& strings = m_shell.Strings();
  const bool show = CQtAppViews::Interactive();
  if (firmwareManaged) {
    CServiceMode2Dlg logic(port, strings, m_shell.CurrentModelType());
    logic.OnInitDialog();
    CServiceMode2View view(logic, strings, m_pStatus.get());
    if (show) view.exec();
    return;
  }
  CServiceModeDlg logic({port, strings, m_shell.Services().m_messageBoxes, m_shell.Title(),
                         m_shell.CurrentModel()});
  logic.OnInitDialog();
  CServiceModeView view(logic, port, strings,
                        CStartGuideDlg::LookOf(strings, CStartGuideDlg::MODE_TESTING),
                        m_pStatus.get());
  if (show) view.exec();
}

}  // namespace kv
