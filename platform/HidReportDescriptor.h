#pragma once
// The part of a HID report descriptor that HidP_GetCaps reports: the usage page and usage
// of the first top-level collection, the number of top-level collections, and the byte
// length of the longest input, output and feature report (report id byte included, as
// Windows counts it). Used where the OS gives only the raw descriptor (hidraw).
// OS-neutral; the descriptor comes from the device, so every item is bounds-checked.
#include <cstdint>
#include <span>

#include "platform/HidDevice.h"

namespace kv {

struct HidDescriptorSummary {
  HidCaps m_caps;
  uint32_t m_uTopLevelCollections = 0;
  bool m_bReportIds = false;  // reports carry an id byte on the wire
};

// False when the descriptor is truncated inside an item or unbalanced; *summary then
// holds what was read up to that point.
bool ParseHidReportDescriptor(std::span<const uint8_t> descriptor, HidDescriptorSummary* summary);

}  // namespace kv
