#pragma once
// Where a service's state goes, and where others read it (QueryServiceStatus). Posix: the
// status file MachineRunDir()/svc/NAME.status holding "STATE PID", and, when systemd started the
// process (NOTIFY_SOCKET), an sd_notify datagram for each change.
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>

#include "platform/Paths.h"

namespace kv {

inline constexpr uint32_t SERVICE_STATE_STOPPED = 1;
inline constexpr uint32_t SERVICE_STATE_START_PENDING = 2;
inline constexpr uint32_t SERVICE_STATE_STOP_PENDING = 3;
inline constexpr uint32_t SERVICE_STATE_RUNNING = 4;

class CServiceStatusReporter {
 public:
  CServiceStatusReporter(const CPaths& paths, std::string serviceName);

  // RegisterServiceCtrlHandler: makes sure the status can be written. 0 or an error. Where
  // the service manager delivers controls itself (Windows), they go to onControl; on posix
  // they arrive as signals and the program routes them.
  uint32_t Register(std::function<void(uint32_t)> onControl = {});
  // SetServiceStatus. 0 or an error.
  uint32_t Report(uint32_t state);

  // QueryServiceStatus: 0 with *state; 2 when the service never reported. A status file
  // whose process is gone reads as stopped.
  static uint32_t Query(const CPaths& paths, const std::string& serviceName, uint32_t* state,
                        uint32_t* pid = nullptr);
  static std::string StatusPath(const CPaths& paths, const std::string& serviceName);
  // True when a service manager started this process (systemd's NOTIFY_SOCKET, or
  // KV_SERVICE_MANAGER=1 from our unit).
  static bool StartedByServiceManager();

 private:
  void Notify(const std::string& message);
  std::mutex m_mutex;  // one writer of the status file at a time
  CPaths m_paths;
  std::string m_sName;
  std::function<void(uint32_t)> m_onControl;
  void* m_hStatus = nullptr;  // Windows: the service status handle
};

}  // namespace kv
