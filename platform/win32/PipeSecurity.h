#pragma once
// The security of the service's pipes: guests and anonymous logons get nothing,
// authenticated users read, write and execute, administrators everything.
#include <windows.h>

#include <cstdint>

namespace kv {

inline constexpr const char* PIPE_SECURITY_SDDL =
    "D:(D;OICI;GA;;;BG)(D;OICI;GA;;;AN)(A;OICI;GRGWGX;;;AU)(A;OICI;GA;;;BA)";

class CPipeSecurity {
 public:
  CPipeSecurity() = default;
  ~CPipeSecurity();
  CPipeSecurity(const CPipeSecurity&) = delete;
  CPipeSecurity& operator=(const CPipeSecurity&) = delete;

  // Converts the descriptor from PIPE_SECURITY_SDDL. 0 or the conversion's error.
  uint32_t Build();
  // Attributes with inheritable handles over the descriptor; valid after Build.
  SECURITY_ATTRIBUTES* Attributes() { return &m_attributes; }

 private:
  PSECURITY_DESCRIPTOR m_pDescriptor = nullptr;
  SECURITY_ATTRIBUTES m_attributes{};
};

}  // namespace kv
