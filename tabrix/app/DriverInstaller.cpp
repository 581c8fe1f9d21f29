#include "tabrix/app/DriverInstaller.h"

#include "common/SystemError.h"
#include "tabrix/driverlink/OsType.h"

namespace kv {

CDriverInstaller::~CDriverInstaller() {
  if (m_hProcess != NO_PROCESS) m_processes.Close(m_hProcess);
}

int CDriverInstaller::Run(const std::string& modelFolder, int32_t osType) {
  if (m_hProcess != NO_PROCESS) {
    if (m_processes.Wait(m_hProcess, 0) != WAIT_RESULT_SIGNALLED) return 0;
    m_processes.Close(m_hProcess);
    m_hProcess = NO_PROCESS;
  }
  const char* verb = osType < OS_TYPE_VISTA ? "open" : "runas";
  ProcessHandle process = NO_PROCESS;
  if (m_processes.Execute(verb, PathIn(modelFolder), "", &process) != ERROR_CODE_SUCCESS)
    return 1;  // nothing to wait for: the caller goes on as after an installer that ended
  m_hProcess = process;
  m_processes.Wait(m_hProcess, WAIT_FOREVER);
  m_processes.Close(m_hProcess);
  m_hProcess = NO_PROCESS;
  return 1;
}

}  // namespace kv
