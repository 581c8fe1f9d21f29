#pragma once
// The service state query of a client (OpenSCManagerA, OpenServiceA, QueryServiceStatus).
// Posix backend: the service's registration under HKLM SYSTEM\CurrentControlSet\Services
// and the status record the service writes (platform/ServiceStatusReporter.h).
#include <cstdint>
#include <string>

namespace kv {

// Where the service control manager keeps each service's registration (machine hive).
inline constexpr const char* SERVICES_KEY = "SYSTEM\\CurrentControlSet\\Services";

class ServiceControl {
 public:
  virtual ~ServiceControl() = default;
  // Each 0 or a system error code.
  virtual uint32_t OpenManager() = 0;
  virtual uint32_t OpenService(const std::string& name) = 0;
  // *state is one of the SERVICE_STATE_* values of platform/ServiceStatusReporter.h.
  virtual uint32_t QueryStatus(const std::string& name, uint32_t* state) = 0;
};

}  // namespace kv
