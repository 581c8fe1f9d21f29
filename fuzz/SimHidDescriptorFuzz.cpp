// Arbitrary text as the announcement file of a simulated HID device. Whatever parses
// must keep the limits the bus relies on and survive a format/parse round trip.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/posix/SimHidDescriptor.h"
#include "platform/posix/SimHidFrame.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string text(reinterpret_cast<const char*>(data), size);
  kv::SimHidDescriptor d;
  (void)kv::Utf8ToUtf16(text);
  if (!kv::ParseSimHidDescriptor(text, "device", &d)) return 0;
  if (d.m_sPath.empty() || d.m_sPath.size() >= 260 || d.m_uOwnerPid == 0) __builtin_trap();
  if (d.m_uInputLength > kv::SIM_HID_MAX_REPORT || d.m_uOutputLength > kv::SIM_HID_MAX_REPORT ||
      d.m_uFeatureLength > kv::SIM_HID_MAX_REPORT)
    __builtin_trap();
  kv::SimHidDescriptor back;
  if (!kv::ParseSimHidDescriptor(kv::FormatSimHidDescriptor(d), "device", &back)) __builtin_trap();
  if (back.m_sPath != d.m_sPath || back.m_uVendorId != d.m_uVendorId ||
      back.m_uInputLength != d.m_uInputLength || back.m_sProduct != d.m_sProduct)
    __builtin_trap();
  return 0;
}
