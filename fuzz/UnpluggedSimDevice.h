#pragma once
// A simulated HID device that is never announced on the bus, for harnesses that drive a
// stand-in's control language: its input reports go nowhere and nothing lands on disk.
// One per process (it runs a service thread), built on first use.
#include <cstdint>
#include <string>

#include "platform/Paths.h"
#include "sim/SimHidDevice.h"

namespace kv::fuzz {

inline CSimHidDevice& UnpluggedSimDevice(uint16_t inputLength) {
  static SimHidDescriptor descriptor = [inputLength] {
    SimHidDescriptor d;
    d.m_sName = "fuzz";
    d.m_uVendorId = 0x2F11;
    d.m_uProductId = 0x5A01;
    d.m_uInputLength = inputLength;
    d.m_uOutputLength = inputLength;
    d.m_uFeatureLength = 9;
    return d;
  }();
  static CSimHidDevice device(CPaths::UnderPrefix("/nonexistent/kv-fuzz"), descriptor, 0, nullptr);
  return device;
}

// Lines that would announce the device (or take it away) are left out: they touch the
// file system and parse nothing.
inline bool PlugCommand(const std::string& line) {
  return line.find("plug") != std::string::npos;
}

}  // namespace kv::fuzz
