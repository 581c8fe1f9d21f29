#pragma once
// Makes one fresh client end for each request: a driver request never reuses a connection.
#include <memory>
#include <string>

#include "tabrix/driverlink/PipeConnection.h"

namespace kv {

class PipeTransport {
 public:
  virtual ~PipeTransport() = default;
  // pipeName is the Windows name ("\\.\pipe\{...}"); nullptr when no end can be made.
  virtual std::unique_ptr<PipeConnection> NewConnection(const std::string& pipeName) = 0;
};

}  // namespace kv
