#pragma once
// MessageBeep: the system's short sound for a refusal (type 0 or an MBF_ICON_* value).
#include <cstdint>

namespace kv {

class Beeper {
 public:
  virtual ~Beeper() = default;
  virtual void Beep(uint32_t type) = 0;
};

}  // namespace kv
