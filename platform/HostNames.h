#pragma once
// The computer's name and the IPv4 addresses it resolves to (GetComputerNameA and
// gethostbyname on Windows). Resolving may wait for a name server for many seconds, so
// callers on a user-interface thread must not call it there. Posix backend:
// platform/posix/PosixHostNames; tests hand in their own.
#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace kv {

using Ipv4Address = std::array<uint8_t, 4>;  // network byte order

class HostNames {
 public:
  static constexpr size_t NAME_MAX_CHARS = 255;
  virtual ~HostNames() = default;
  // "" when the system gives no name.
  virtual std::string ComputerName() = 0;
  // False when the name cannot be resolved; *addresses then empty.
  virtual bool Resolve(const std::string& name, std::vector<Ipv4Address>* addresses) = 0;
};

}  // namespace kv
