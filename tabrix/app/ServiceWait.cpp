#include "tabrix/app/ServiceWait.h"

#include "common/SystemError.h"
#include "platform/ServiceStatusReporter.h"

namespace kv {

namespace {

constexpr uint32_t RETRY_MS = 1000;

// Tries `step` once a second until it succeeds; false once more than timeoutMs passed.
template <typename Step>
bool Retry(Clock& clock, uint32_t start, uint32_t timeoutMs,
           const std::function<bool()>& cancelled, Step step) {
  for (;;) {
    if (step()) return true;
    if (cancelled && cancelled()) return false;
    clock.Sleep(RETRY_MS);
    if (clock.TickCount() - start > timeoutMs) return false;
  }
}

}  // namespace

int32_t CServiceWait::Wait(ServiceControl& services, Clock& clock, const std::string& name,
                           uint32_t timeoutMs, const std::function<bool()>& cancelled) {
  if (name.empty()) return NO_NAME;
  const uint32_t start = clock.TickCount();
  if (!Retry(clock, start, timeoutMs, cancelled, [&] { return services.OpenManager() == ERROR_CODE_SUCCESS; }))
    return NO_MANAGER;
  if (!Retry(clock, start, timeoutMs, cancelled,
             [&] { return services.OpenService(name) == ERROR_CODE_SUCCESS; }))
    return NO_SERVICE;
  for (;;) {
    uint32_t state = 0;
    if (services.QueryStatus(name, &state) != ERROR_CODE_SUCCESS) return QUERY_FAILED;
    if (state == SERVICE_STATE_RUNNING) return RUNNING;
    // Stopped (1) and the pending states (2, 3) have a low bit set; anything else does
    // not come back by waiting.
    if ((state & 3) == 0) return NOT_STARTING;
    if (cancelled && cancelled()) return STILL_PENDING;
    clock.Sleep(RETRY_MS);
    if (clock.TickCount() - start > timeoutMs) return STILL_PENDING;
  }
}

}  // namespace kv
