#include "tabrix/app/SharedTableSettingsSink.h"

#include "tabrix/driverlink/DriverSharedData.h"

namespace kv {

void CSharedTableSettingsSink::SetCalibDisp(uint32_t value) { m_table.SetCalibDisp(value); }

void CSharedTableSettingsSink::SetSingleClickType(uint32_t value) {
  m_table.SetSingleClickType(value);
}

}  // namespace kv
