#pragma once
// The announcement of one simulated HID device: a text file NAME.dev under the HID folder
// (key=value lines) beside its endpoint socket NAME. The stand-in that announces a device
// writes it; the bus reads it on every enumeration and checks that its owner still lives,
// so that the files of a killed stand-in are never taken for a present device.
#include <cstdint>
#include <string>
#include <string_view>

namespace kv {

struct SimHidDescriptor {
  std::string m_sName;        // file stem: letters, digits, '-' and '_' only
  std::string m_sPath;        // the Windows-like device path the bus hands out
  uint16_t m_uVendorId = 0;
  uint16_t m_uProductId = 0;
  uint16_t m_uVersionNumber = 0;
  uint16_t m_uUsagePage = 0;
  uint16_t m_uUsage = 0;
  uint16_t m_uInputLength = 0;    // report byte lengths, report id included
  uint16_t m_uOutputLength = 0;
  uint16_t m_uFeatureLength = 0;
  std::string m_sProduct;     // UTF-8
  std::string m_sSerial;      // UTF-8
  bool m_bOpenable = true;    // false: a collection the system owns (keyboard, mouse)
  uint32_t m_uOwnerPid = 0;
};

bool IsValidSimHidName(std::string_view name);
// "\\?\hid#vid_2f11&pid_5a01&col01#7&1a2b3c4d&0&0000#{4d1e55b2-f16f-11cf-88cb-001111000030}";
// collection 0 leaves out "&colNN" (a device with a single collection). The instance part
// is derived from the name, so two devices of one identity get different paths.
std::string SimHidInstancePath(uint16_t vendorId, uint16_t productId, unsigned collection,
                               std::string_view name);

std::string FormatSimHidDescriptor(const SimHidDescriptor& d);
// False when a required key (path, vid, pid, owner) is missing, a number is malformed or
// out of range, a length exceeds SIM_HID_MAX_REPORT, or the name is not valid.
bool ParseSimHidDescriptor(std::string_view text, std::string_view name, SimHidDescriptor* d);

std::string SimHidDescriptorFile(const std::string& hidDir, std::string_view name);
std::string SimHidEndpointFile(const std::string& hidDir, std::string_view name);

// Plain UTF-8 <-> UTF-16 for the product and serial strings (invalid bytes become U+FFFD).
std::u16string Utf8ToUtf16(std::string_view text);

}  // namespace kv
