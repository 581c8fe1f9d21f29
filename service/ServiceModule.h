#pragma once
// The service module: one per process. Decides whether it runs as a service or as an
// ordinary process, runs the pipe bridge until it is told to stop, and reports each state
// change to the service manager.
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <string>

#include "platform/Clock.h"
#include "platform/DeviceIo.h"
#include "platform/Event.h"
#include "platform/EventLog.h"
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/ServiceStatusReporter.h"
#include "resources/StringTable.h"
#include "service/PipeThread.h"

namespace kv {

struct ServiceStatus {
  uint32_t m_uServiceType = 0;
  uint32_t m_uCurrentState = 0;
  uint32_t m_uControlsAccepted = 0;
  uint32_t m_uWin32ExitCode = 0;
  uint32_t m_uServiceSpecificExitCode = 0;
  uint32_t m_uCheckPoint = 0;
  uint32_t m_uWaitHint = 0;
};

struct ServiceModuleContext {
  CPaths m_paths;
  Registry* m_pRegistry = nullptr;
  const CStringTable* m_pStrings = nullptr;
  DeviceIo* m_pDeviceIo = nullptr;
  Clock* m_pClock = nullptr;
  PipeThreadOptions m_pipeOptions;
  // The event log of the given source, to syslog (service) or standard output.
  std::function<std::unique_ptr<EventLog>(const std::string& source, bool toSyslog)> m_makeLog;
  // Asked once, at the dispatcher: did a service manager start this process?
  std::function<bool()> m_startedByManager;
  // The service control dispatcher, where the system has one (Windows): runs serviceMain on
  // the manager's behalf and returns when it has ended; false when the process was not
  // started by the manager. Unset: serviceMain runs at once.
  std::function<bool(const std::string& name, std::function<void()> serviceMain)> m_dispatch;
};

class CServiceModule {
 public:
  explicit CServiceModule(ServiceModuleContext context);

  // The start sequence; returns the process exit code.
  int Start();
  // The control handler. Thread-safe (the signal thread calls it).
  void Control(uint32_t code);

  const std::string& Name() const { return m_sName; }
  bool RunningAsService() const { return m_bService; }
  ServiceStatus Status() const;

 private:
  void ServiceMain();
  void MainRoutine();
  void SetState(uint32_t state);
  void Log(uint32_t id);

  ServiceModuleContext m_ctx;
  std::string m_sName;
  std::atomic<bool> m_bService{true};
  mutable std::mutex m_mutex;
  ServiceStatus m_status;
  std::unique_ptr<EventLog> m_log;
  std::unique_ptr<CServiceStatusReporter> m_reporter;  // the "status handle"
  CEvent m_quit{true};
};

}  // namespace kv
