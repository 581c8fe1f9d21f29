#pragma once
// The real transport: each connection is a CPipeClient on the local pipe of that name.
#include <memory>
#include <string>

#include "platform/Paths.h"
#include "tabrix/driverlink/PipeTransport.h"

namespace kv {

class CPipeClientTransport final : public PipeTransport {
 public:
  explicit CPipeClientTransport(CPaths paths) : m_paths(std::move(paths)) {}
  std::unique_ptr<PipeConnection> NewConnection(const std::string& pipeName) override;

 private:
  CPaths m_paths;
};

}  // namespace kv
