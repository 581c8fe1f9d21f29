#pragma once
// Where the settings store mirrors the two settings that other processes read from the
// shared driver table. The application hands in an adapter over its table; a table that
// is not mapped simply ignores the values.
#include <cstdint>

namespace kv {

class SharedSettingsSink {
 public:
  virtual ~SharedSettingsSink() = default;
  virtual void SetCalibDisp(uint32_t value) = 0;
  virtual void SetSingleClickType(uint32_t value) = 0;
};

}  // namespace kv
