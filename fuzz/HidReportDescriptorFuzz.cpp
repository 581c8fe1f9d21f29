// Arbitrary bytes as a device's HID report descriptor: the reader must stay inside the
// buffer and report lengths that a report of that many bits can have.
#include <cstddef>
#include <cstdint>
#include <span>

#include "platform/HidReportDescriptor.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kv::HidDescriptorSummary s;
  bool ok = kv::ParseHidReportDescriptor(std::span<const uint8_t>(data, size), &s);
  // An empty descriptor declares nothing.
  if (size == 0 && (!ok || s.m_uTopLevelCollections != 0 || s.m_caps.m_uInputReportByteLength != 0))
    __builtin_trap();
  return 0;
}
