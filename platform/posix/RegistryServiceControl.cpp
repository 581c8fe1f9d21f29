#include "platform/posix/RegistryServiceControl.h"

#include <unistd.h>

#include "common/SystemError.h"
#include "platform/ServiceStatusReporter.h"

namespace kv {

uint32_t CRegistryServiceControl::OpenManager() {
  // The manager is the machine's run folder; without it no service can be asked.
  return access(m_paths.RunDir().c_str(), R_OK | X_OK) == 0 ? ERROR_CODE_SUCCESS
                                                            : ERROR_CODE_ACCESS_DENIED;
}

uint32_t CRegistryServiceControl::OpenService(const std::string& name) {
  if (name.empty()) return ERROR_CODE_INVALID_PARAMETER;
  if (m_registry.OpenKey(RegistryHive::LOCAL_MACHINE,
                         std::string(SERVICES_KEY) + "\\" + name) == ERROR_CODE_SUCCESS)
    return ERROR_CODE_SUCCESS;
  uint32_t state = 0;
  return CServiceStatusReporter::Query(m_paths, name, &state) == ERROR_CODE_SUCCESS
             ? ERROR_CODE_SUCCESS
             : ERROR_CODE_FILE_NOT_FOUND;
}

uint32_t CRegistryServiceControl::QueryStatus(const std::string& name, uint32_t* state) {
  uint32_t rc = CServiceStatusReporter::Query(m_paths, name, state);
  // Registered but never started: stopped, as the service manager reports it.
  if (rc == ERROR_CODE_FILE_NOT_FOUND) {
    *state = SERVICE_STATE_STOPPED;
    return ERROR_CODE_SUCCESS;
  }
  return rc;
}

}  // namespace kv
