#pragma once
// A simulated HID device that is never announced on the bus, for harnesses that drive a
// stand-in's control language: its input reports go nowhere and nothing lands on disk.
// Each input gets its own: the device's service thread frees the reports sent to it, and
// only a device that is gone (thread joined) when the input ends leaves libFuzzer's
// malloc/free count even; otherwise every input looks like a leak and costs a heap scan.
#include <cstdint>
#include <string>

#include "platform/Paths.h"
#include "sim/SimHidDevice.h"

namespace kv::fuzz {

class CUnpluggedSimDevice {
 public:
  explicit CUnpluggedSimDevice(uint16_t inputLength)
      : m_device(Paths(), Descriptor(inputLength), 0, nullptr) {}
  CSimHidDevice& Device() { return m_device; }

  // Lines that would announce the device (or take it away) are left out: they touch the
  // file system and parse nothing.
  static bool PlugCommand(const std::string& line) { return line.find("plug") != std::string::npos; }

 private:
  static const CPaths& Paths() {
    static const CPaths paths = CPaths::UnderPrefix("/nonexistent/kv-fuzz");
    return paths;
  }
  static SimHidDescriptor Descriptor(uint16_t inputLength) {
    SimHidDescriptor d;
    d.m_sName = "fuzz";
    d.m_uVendorId = 0x2F11;
    d.m_uProductId = 0x5A01;
    d.m_uInputLength = inputLength;
    d.m_uOutputLength = inputLength;
    d.m_uFeatureLength = 9;
    return d;
  }

  CSimHidDevice m_device;
};

}  // namespace kv::fuzz
