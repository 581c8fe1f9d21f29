#include "optrim/ui/TouchDevLink.h"

namespace kv {

bool CTouchDevLink::Upload(const SensorCalBlock& block, UploadParts parts) {
  if (parts == UPLOAD_BASIC_ONLY) return m_device.SetBasicTable(block.basic, true);
  // Every part is sent even after a failure, so the device's copy stays whole.
  bool ok = m_device.SetAngleParameters(block.angle, true);
  ok = m_device.SetPreciseTable(block.precise, true) && ok;
  ok = m_device.SetBasicTable(block.basic, true) && ok;
  return ok;
}

}  // namespace kv
