#include "tabrix/app/AppShell.h"

#include "resources/TextFormat.h"
#include "tabrix/driverlink/DriverLink.h"

namespace kv {

CAppShell::CAppShell(AppServices& services, FirmwareLinkTimeouts firmwareWaits)
    : m_services(services),
      m_firmwareWaits(firmwareWaits),
      m_app(services.m_paths, services.m_clock, services.m_pipes, services.m_display,
            services.m_iOsType),
      m_sharedSink(m_app.SharedDriverTable()),
      m_settings(services.m_registry, services.m_systemParameters, &m_sharedSink),
      m_memoryLog(services.m_clock),
      m_strings(CStringTable::BuiltIn("tabrix")),
      m_calibration(services.m_registry, m_settings, services.m_display, m_app.LinkContext(),
                    nullptr),
      m_penLink(services.m_windows, m_ini.Links(), m_memoryLog),
      m_pButtonWatch(std::make_unique<CButtonWatchThread>(*this, m_penLink)) {
  m_settings.SetOsType(services.m_iOsType);
  SetCurrentModel(m_app.CurrentModel());
}

CAppShell::~CAppShell() {
  m_bRun = false;
  m_pButtonWatch->Signal();
  m_pButtonWatch->Join();
  if (m_pFirmware) m_pFirmware->StopWorker();
  m_calibration.SetFirmwarePort(nullptr);
}

void CAppShell::CreateFirmwareLink() {
  if (m_pFirmware) return;
  m_pTrafficLog = std::make_unique<CTrafficLog>(m_services.m_clock, m_ini.ReceiveLogFile(),
                                                m_ini.SendLogFile());
  CPenInputState& pen = m_app.PenInput();
  pen.SetCompatibleMode(m_ini.CompatibleMode());
  TouchReportContext touch;
  touch.m_pState = &pen;
  touch.m_pDisplay = &m_services.m_display;
  touch.m_pClock = &m_services.m_clock;
  touch.m_pPenLink = &m_penLink;
  touch.m_setPanelState = [this](uint32_t code, uint32_t flag) { SendPanelState(code, flag); };
  m_pFirmware = std::make_unique<CTPdrvServiceMode>(
      m_services.m_hidBus, m_app.Models(), &m_memoryLog, m_pTrafficLog.get(),
      &m_app.SharedDriverTable(), m_firmwareWaits, std::move(touch));
  m_calibration.SetFirmwarePort(m_pFirmware.get());
}

void CAppShell::SendPanelState(uint32_t code, uint32_t flag) {
  // The worker thread reports a touch to the driver on a link of its own.
  DriverLink link(m_app.LinkContext());
  link.Open();
  link.SetPanelState(code, &flag);
}

std::string CAppShell::Text(uint32_t id, const std::string& insert) const {
  return CTextFormat::Insert(m_strings.Get(id), {insert});
}

int CAppShell::Box(const std::string& text, uint32_t flags) {
  return m_services.m_messageBoxes.Show(text, Title(), flags);
}

void CAppShell::SetCurrentModel(const ModelEntry* model) {
  m_app.SetCurrentModel(model);
  if (model) m_settings.SetModelSubkey(FixedText(model->m_szRegistry));
}

uint32_t CAppShell::CurrentModelType() const {
  const ModelEntry* model = m_app.CurrentModel();
  return model ? model->m_uModelType : 0;
}

std::string CAppShell::ModelFolder() const {
  const ModelEntry* model = m_app.CurrentModel();
  return m_services.m_sProgramDir + "/" + (model ? FixedText(model->m_szName) : std::string());
}

void CAppShell::SaveSystemValues() {
  for (uint32_t i = 0; i < SYSTEM_PARAMETER_COUNT; ++i) {
    uint32_t value = 0;
    m_services.m_systemParameters.Get(static_cast<SystemParameter>(i), &value);
    m_savedValues[i] = value;
  }
  m_bValuesSaved = true;
}

void CAppShell::RestoreSystemValues() {
  if (!m_bValuesSaved) return;
  for (uint32_t i = 0; i < SYSTEM_PARAMETER_COUNT; ++i)
    m_services.m_systemParameters.Set(static_cast<SystemParameter>(i), m_savedValues[i],
                                      SPIF_SEND_CHANGE);
}

}  // namespace kv
