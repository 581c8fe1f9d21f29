#pragma once
// ServiceControl on posix: a service exists when its registration is in the machine hive
// or it has ever reported a status; its state is the status record it keeps.
#include "platform/Paths.h"
#include "platform/Registry.h"
#include "platform/ServiceControl.h"

namespace kv {

class CRegistryServiceControl final : public ServiceControl {
 public:
  CRegistryServiceControl(const CPaths& paths, Registry& machine)
      : m_paths(paths), m_registry(machine) {}
  uint32_t OpenManager() override;
  uint32_t OpenService(const std::string& name) override;
  uint32_t QueryStatus(const std::string& name, uint32_t* state) override;

 private:
  CPaths m_paths;
  Registry& m_registry;
};

}  // namespace kv
