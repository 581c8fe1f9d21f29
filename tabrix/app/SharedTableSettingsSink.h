#pragma once
// Mirrors the settings other processes read (CalibDisp, SingleClickType) into the shared
// driver table. The table is the application's; while it is not mapped the values are
// dropped, and the next getter call of the settings store copies them in again.
#include <cstdint>

#include "tabrix/app/SharedSettingsSink.h"

namespace kv {

class DriverSharedData;

class CSharedTableSettingsSink final : public SharedSettingsSink {
 public:
  explicit CSharedTableSettingsSink(DriverSharedData& table) : m_table(table) {}
  void SetCalibDisp(uint32_t value) override;
  void SetSingleClickType(uint32_t value) override;

 private:
  DriverSharedData& m_table;
};

}  // namespace kv
