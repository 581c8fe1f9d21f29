#include "service/win32/ScmInstaller.h"

#include "common/SystemError.h"
#include "platform/ServiceControl.h"
#include "service/ServiceNames.h"

// After our names: <windows.h> defines some of them (SERVICE_CONTROL_STOP, ...) as macros
// of the same values.
#include <windows.h>

namespace kv {

namespace {

class CScHandle {
 public:
  explicit CScHandle(SC_HANDLE h) : m_h(h) {}
  ~CScHandle() { if (m_h) CloseServiceHandle(m_h); }
  CScHandle(const CScHandle&) = delete;
  CScHandle& operator=(const CScHandle&) = delete;
  SC_HANDLE Get() const { return m_h; }
  explicit operator bool() const { return m_h != nullptr; }

 private:
  SC_HANDLE m_h;
};

// The dependency list: names each ended by a NUL, the list by a second one.
std::string DependencyList() { return std::string(SERVICE_DEPENDENCY) + '\0' + '\0'; }

// The command line the manager starts: the path quoted, since it may hold blanks.
std::string QuotedPath(const std::string& path) { return "\"" + path + "\""; }

}  // namespace

CScmInstaller::CScmInstaller(Registry& registry, const CStringTable& strings, EventLog& log,
                             std::ostream& errors, std::string imagePath)
    : m_registry(registry), m_strings(strings), m_log(log), m_errors(errors), m_sImagePath(std::move(imagePath)) {
  m_sName = m_strings.Get(IDS_SERVICE_NAME);
}

void CScmInstaller::ShowMessage(uint32_t id) { m_errors << m_sName << ": " << m_strings.Get(id) << std::endl; }

bool CScmInstaller::CreateOrReconfigure(void* managerHandle) {
  SC_HANDLE manager = static_cast<SC_HANDLE>(managerHandle);
  const std::string path = QuotedPath(m_sImagePath);
  const std::string dependencies = DependencyList();
  CScHandle created(CreateServiceA(manager, m_sName.c_str(), m_sName.c_str(), SERVICE_ALL_ACCESS,
                                   SERVICE_TYPE_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                                   path.c_str(), nullptr, nullptr, dependencies.c_str(), nullptr, nullptr));
  if (created) return true;
  if (GetLastError() != ERROR_SERVICE_EXISTS) {
    ShowMessage(IDS_CANNOT_CREATE_SERVICE);
    return false;
  }
  // Installed already: the same configuration again.
  CScHandle existing(OpenServiceA(manager, m_sName.c_str(), SERVICE_ALL_ACCESS));
  if (!existing) {
    ShowMessage(IDS_CANNOT_OPEN_SERVICE);
    return false;
  }
  if (!ChangeServiceConfigA(existing.Get(), SERVICE_TYPE_OWN_PROCESS, SERVICE_AUTO_START, SERVICE_ERROR_NORMAL,
                            path.c_str(), nullptr, nullptr, dependencies.c_str(), nullptr, nullptr,
                            m_sName.c_str())) {
    ShowMessage(IDS_CANNOT_CHANGE_CONFIG);
    return false;
  }
  return true;
}

bool CScmInstaller::Install() {
  CScHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) {
    ShowMessage(IDS_CANNOT_OPEN_SCM);
    return false;
  }
  if (!CreateOrReconfigure(manager.Get())) return false;
  const std::string key = std::string(SERVICES_KEY) + "\\" + m_sName;
  if (m_registry.OpenKey(RegistryHive::LOCAL_MACHINE, key) != ERROR_CODE_SUCCESS) {
    m_log.Information(m_strings.Get(IDS_SERVICE_KEY_OPEN_FAILURE));
    return false;
  }
  return m_registry.SetString(RegistryHive::LOCAL_MACHINE, key, "DisplayName", m_strings.Get(IDS_DISPLAY_NAME)) ==
             ERROR_CODE_SUCCESS &&
         m_registry.SetString(RegistryHive::LOCAL_MACHINE, key, "Description", m_strings.Get(IDS_DESCRIPTION)) ==
             ERROR_CODE_SUCCESS;
}

bool CScmInstaller::Uninstall() {
  {
    // Not installed: nothing to do.
    CScHandle probe(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT));
    if (!probe) return true;
    CScHandle service(OpenServiceA(probe.Get(), m_sName.c_str(), SERVICE_QUERY_CONFIG));
    if (!service) return true;
  }
  CScHandle manager(OpenSCManagerA(nullptr, nullptr, SC_MANAGER_ALL_ACCESS));
  if (!manager) {
    ShowMessage(IDS_CANNOT_OPEN_SCM);
    return false;
  }
  CScHandle service(OpenServiceA(manager.Get(), m_sName.c_str(), SERVICE_STOP | DELETE));
  if (!service) {
    ShowMessage(IDS_CANNOT_OPEN_SERVICE);
    return false;
  }
  SERVICE_STATUS status{};
  ControlService(service.Get(), SERVICE_CONTROL_STOP, &status);  // a stopped service refuses; fine
  if (!DeleteService(service.Get())) {
    ShowMessage(IDS_CANNOT_DELETE_SERVICE);
    return false;
  }
  return true;
}

int CScmInstaller::RegisterServer() {
  const auto hive = RegistryHive::CLASSES_ROOT;
  uint32_t rc = m_registry.SetString(hive, SERVICE_APPID_KEY, "", m_sName);
  if (rc == ERROR_CODE_SUCCESS) rc = m_registry.SetString(hive, SERVICE_EXE_APPID_KEY, "AppID", SERVICE_APPID);
  if (rc != ERROR_CODE_SUCCESS) return static_cast<int>(rc);
  m_registry.DeleteValue(hive, SERVICE_APPID_KEY, "LocalService");
  m_registry.DeleteValue(hive, SERVICE_APPID_KEY, "ServiceParameters");
  m_registry.SetString(hive, SERVICE_APPID_KEY, "LocalService", m_sName);
  m_registry.SetString(hive, SERVICE_APPID_KEY, "ServiceParameters", SERVICE_PARAMETERS);
  // A failed installation is not a success, whatever the rest of the registration says.
  return Install() ? 0 : 1;
}

int CScmInstaller::UnregisterServer() {
  // The AppID key itself stays (other servers keep their entries under it).
  m_registry.DeleteKey(RegistryHive::CLASSES_ROOT, SERVICE_APPID_KEY);
  m_registry.DeleteKey(RegistryHive::CLASSES_ROOT, SERVICE_EXE_APPID_KEY);
  Uninstall();
  return 0;
}

}  // namespace kv
