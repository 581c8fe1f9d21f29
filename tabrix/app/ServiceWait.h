#pragma once
// Waiting at start-up until the service runs: the manager, then the service, then its
// state, each tried once a second until the time limit, which counts from the start.
#include <cstdint>
#include <functional>
#include <string>

#include "platform/Clock.h"
#include "platform/ServiceControl.h"

namespace kv {

class CServiceWait {
 public:
  static constexpr int32_t RUNNING = 0;
  static constexpr int32_t NO_NAME = -101;
  static constexpr int32_t NO_MANAGER = -102;
  static constexpr int32_t QUERY_FAILED = -103;
  static constexpr int32_t NOT_STARTING = -104;  // a state with both low bits clear, not running
  static constexpr int32_t STILL_PENDING = -105;
  static constexpr int32_t NO_SERVICE = -106;

  // `cancelled`, when given, is asked before each retry; true ends the wait as a time-out.
  static int32_t Wait(ServiceControl& services, Clock& clock, const std::string& name,
                      uint32_t timeoutMs, const std::function<bool()>& cancelled = {});
};

}  // namespace kv
