#include "service/ServiceModule.h"

#include "common/SystemError.h"
#include "service/PipeBridge.h"
#include "service/ServiceNames.h"

namespace kv {

namespace {
constexpr size_t SERVICE_NAME_CAPACITY = 256;
constexpr size_t MESSAGE_CAPACITY = 256;
constexpr size_t LOCAL_SERVICE_CAPACITY = 260;
}  // namespace

CServiceModule::CServiceModule(ServiceModuleContext context) : m_ctx(std::move(context)) {
  m_sName = m_ctx.m_pStrings->Get(IDS_SERVICE_NAME).substr(0, SERVICE_NAME_CAPACITY - 1);
  m_status.m_uServiceType = SERVICE_TYPE_OWN_PROCESS;
  m_status.m_uCurrentState = SERVICE_STATE_STOPPED;
  m_status.m_uControlsAccepted = SERVICE_ACCEPT_STOP_SHUTDOWN;
}

ServiceStatus CServiceModule::Status() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_status;
}

void CServiceModule::Log(uint32_t id) {
  EventLog* log;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    log = m_log.get();
  }
  if (!log) return;
  log->Information(m_ctx.m_pStrings->Get(id).substr(0, MESSAGE_CAPACITY - 1));
}

void CServiceModule::SetState(uint32_t state) {
  CServiceStatusReporter* reporter;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_status.m_uCurrentState = state;
    reporter = m_reporter.get();
  }
  if (m_bService && reporter) reporter->Report(state);
}

int CServiceModule::Start() {
  m_bService = true;
  Registry& registry = *m_ctx.m_pRegistry;
  uint32_t rc = registry.OpenKey(RegistryHive::CLASSES_ROOT, SERVICE_APPID_KEY);
  if (rc != ERROR_CODE_SUCCESS) return static_cast<int>(rc);
  RegistryValue value;
  rc = registry.QueryValue(RegistryHive::CLASSES_ROOT, SERVICE_APPID_KEY, "LocalService", &value);
  // Only a string that fits the 260-byte buffer counts.
  m_bService = rc == ERROR_CODE_SUCCESS && value.m_uType == REG_TYPE_SZ &&
               value.m_sText.size() < LOCAL_SERVICE_CAPACITY;
  // The dispatcher connects only when a service manager started us.
  if (m_bService && !(m_ctx.m_startedByManager && m_ctx.m_startedByManager())) m_bService = false;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_log = m_ctx.m_makeLog(m_sName, m_bService);
  }
  if (m_bService && m_ctx.m_dispatch) {
    if (!m_ctx.m_dispatch(m_sName, [this] { ServiceMain(); })) {
      // Started by hand after all: an ordinary process, logging to standard output.
      m_bService = false;
      std::lock_guard<std::mutex> lock(m_mutex);
      m_log = m_ctx.m_makeLog(m_sName, false);
    }
  } else if (m_bService) {
    ServiceMain();
  }
  if (!m_bService) MainRoutine();
  std::lock_guard<std::mutex> lock(m_mutex);
  return static_cast<int>(m_status.m_uWin32ExitCode);
}

void CServiceModule::ServiceMain() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_status.m_uCurrentState = SERVICE_STATE_START_PENDING;
  }
  auto reporter = std::make_unique<CServiceStatusReporter>(m_ctx.m_paths, m_sName);
  if (reporter->Register([this](uint32_t code) { Control(code); }) != ERROR_CODE_SUCCESS) {
    Log(IDS_HANDLER_NOT_INSTALLED);
    return;
  }
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_reporter = std::move(reporter);
    m_status.m_uWin32ExitCode = 0;
    m_status.m_uCheckPoint = 0;
    m_status.m_uWaitHint = 0;
  }
  SetState(SERVICE_STATE_START_PENDING);
  MainRoutine();
  SetState(SERVICE_STATE_STOPPED);
  Log(IDS_SERVICE_STOPPED);
}

void CServiceModule::MainRoutine() {
  CPipeBridge bridge(m_ctx.m_paths, *m_ctx.m_pDeviceIo, *m_ctx.m_pClock, m_ctx.m_pipeOptions);
  Log(IDS_SERVICE_STARTED);
  // Running is reported once the pipes exist, so that a client that waited for it can
  // connect at once.
  bridge.Start();
  if (m_bService) SetState(SERVICE_STATE_RUNNING);
  m_quit.Wait(-1);
  bridge.Stop();
}

void CServiceModule::Control(uint32_t code) {
  switch (code) {
    case SERVICE_CONTROL_STOP:
      SetState(SERVICE_STATE_STOP_PENDING);
      m_quit.Set();
      break;
    case SERVICE_CONTROL_PAUSE:
    case SERVICE_CONTROL_CONTINUE:
    case SERVICE_CONTROL_INTERROGATE:
    case SERVICE_CONTROL_SHUTDOWN:
      break;
    default:
      Log(IDS_BAD_SERVICE_REQUEST);
      break;
  }
}

}  // namespace kv
