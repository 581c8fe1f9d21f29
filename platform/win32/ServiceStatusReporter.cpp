#include "platform/ServiceStatusReporter.h"

#include <windows.h>

#include "common/SystemError.h"

namespace kv {

namespace {

constexpr DWORD OWN_PROCESS = SERVICE_WIN32_OWN_PROCESS;
constexpr DWORD ACCEPTS = SERVICE_ACCEPT_STOP | SERVICE_ACCEPT_SHUTDOWN;
constexpr DWORD PENDING_WAIT_HINT_MS = 3000;

DWORD WINAPI ControlHandler(DWORD control, DWORD, LPVOID, LPVOID context) {
  auto* onControl = static_cast<std::function<void(uint32_t)>*>(context);
  if (*onControl) (*onControl)(control);
  return NO_ERROR;
}

}  // namespace

CServiceStatusReporter::CServiceStatusReporter(const CPaths& paths, std::string serviceName)
    : m_paths(paths), m_sName(std::move(serviceName)) {}

// The manager keeps the status; there is no file.
std::string CServiceStatusReporter::StatusPath(const CPaths&, const std::string&) { return {}; }

// Whether the manager started us shows only at the dispatcher, which fails otherwise.
bool CServiceStatusReporter::StartedByServiceManager() { return true; }

uint32_t CServiceStatusReporter::Register(std::function<void(uint32_t)> onControl) {
  m_onControl = std::move(onControl);
  SERVICE_STATUS_HANDLE handle = RegisterServiceCtrlHandlerExA(m_sName.c_str(), ControlHandler, &m_onControl);
  if (!handle) return GetLastError();
  m_hStatus = handle;
  return ERROR_CODE_SUCCESS;
}

uint32_t CServiceStatusReporter::Report(uint32_t state) {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_hStatus) return ERROR_CODE_INVALID_HANDLE;
  SERVICE_STATUS status{};
  status.dwServiceType = OWN_PROCESS;
  status.dwCurrentState = state;
  status.dwControlsAccepted = ACCEPTS;
  const bool pending = state == SERVICE_STATE_START_PENDING || state == SERVICE_STATE_STOP_PENDING;
  // A pending state without a hint reads as hung to the manager.
  status.dwWaitHint = pending ? PENDING_WAIT_HINT_MS : 0;
  if (!SetServiceStatus(static_cast<SERVICE_STATUS_HANDLE>(m_hStatus), &status)) return GetLastError();
  return ERROR_CODE_SUCCESS;
}

void CServiceStatusReporter::Notify(const std::string&) {}

uint32_t CServiceStatusReporter::Query(const CPaths&, const std::string& serviceName, uint32_t* state,
                                       uint32_t* pid) {
  SC_HANDLE manager = OpenSCManagerA(nullptr, nullptr, SC_MANAGER_CONNECT);
  if (!manager) return GetLastError();
  SC_HANDLE service = OpenServiceA(manager, serviceName.c_str(), SERVICE_QUERY_STATUS);
  uint32_t rc = ERROR_CODE_SUCCESS;
  if (!service) {
    DWORD error = GetLastError();
    rc = error == ERROR_SERVICE_DOES_NOT_EXIST ? ERROR_CODE_FILE_NOT_FOUND : error;
  } else {
    SERVICE_STATUS_PROCESS status{};
    DWORD needed = 0;
    if (QueryServiceStatusEx(service, SC_STATUS_PROCESS_INFO, reinterpret_cast<BYTE*>(&status), sizeof status,
                             &needed)) {
      *state = status.dwCurrentState;
      if (pid) *pid = status.dwProcessId;
    } else {
      rc = GetLastError();
    }
    CloseServiceHandle(service);
  }
  CloseServiceHandle(manager);
  return rc;
}

}  // namespace kv
