#pragma once
// Host name and IPv4 addresses through gethostname and getaddrinfo (which may block on a
// name server: call Resolve off the user-interface thread).
#include "platform/HostNames.h"

namespace kv {

class CPosixHostNames final : public HostNames {
 public:
  std::string ComputerName() override;
  bool Resolve(const std::string& name, std::vector<Ipv4Address>* addresses) override;
};

}  // namespace kv
