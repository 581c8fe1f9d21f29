#include "tabrix/app/RivelleApp.h"

#include "common/SystemError.h"

namespace kv {

CRivelleApp::CRivelleApp(CPaths paths, Clock& clock, PipeTransport& transport,
                         ScreenSizeSource& screen, int32_t osType)
    : m_paths(std::move(paths)),
      m_clock(clock),
      m_transport(transport),
      m_screen(screen),
      m_iOsType(osType),
      m_pCurrentModel(&m_models.BuiltIn(0)) {}

CRivelleApp::~CRivelleApp() {
  ReleaseInstance();
  CloseSharedTables();
}

bool CRivelleApp::LoadModels(const std::string& iniPath) { return m_models.LoadIniFile(iniPath); }

DriverLinkContext CRivelleApp::LinkContext() {
  return DriverLinkContext{m_transport, m_driverState, m_driverTable, m_pCurrentModel,
                           m_iOsType,   m_screen,      m_clock};
}

void CRivelleApp::OpenSharedTables(bool createDriverTable) {
  // Creating an existing mapping opens it; wiping it then would erase what the running
  // instance has published (a refused second start gets this far).
  const bool othersRunning = InstanceRunning(m_paths);
  if (m_modelTable.Create(m_paths) == ERROR_CODE_ALREADY_EXISTS && !othersRunning)
    m_modelTable.Clear();
  if (!createDriverTable) {
    m_driverTable.Open(m_paths);
    return;
  }
  if (m_driverTable.Create(m_paths) == ERROR_CODE_ALREADY_EXISTS && !othersRunning)
    m_driverTable.Clear();
}

void CRivelleApp::CloseSharedTables() {
  m_driverTable.Close();
  m_modelTable.Close();
}

bool CRivelleApp::ClaimInstance(uint32_t processId) {
  if (m_instanceMutex.Create(m_paths, INSTANCE_MUTEX_NAME) != ERROR_CODE_SUCCESS) return false;
  m_driverTable.SetProcessId(processId);
  return true;
}

void CRivelleApp::ReleaseInstance() { m_instanceMutex.Close(); }

bool CRivelleApp::InstanceRunning(const CPaths& paths) {
  return CNamedMutex::Exists(paths, INSTANCE_MUTEX_NAME);
}

}  // namespace kv
