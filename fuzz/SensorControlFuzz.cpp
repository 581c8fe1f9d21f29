// Arbitrary lines on sensor-sim's control channel: one reply line each, and the sensor
// firmware they change still answers a read request with a 9-byte feature report.
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "fuzz/FuzzBytes.h"
#include "fuzz/UnpluggedSimDevice.h"
#include "sim/sensor-sim/SensorControl.h"
#include "sim/sensor-sim/SensorFirmware.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kv::fuzz::CUnpluggedSimDevice device(65);
  kv::CSensorFirmware firmware(kv::DefaultSensorSimModel());
  kv::CSensorControl control(firmware, device.Device());
  for (const std::string& line : kv::fuzz::Lines(std::string(reinterpret_cast<const char*>(data), size))) {
    if (kv::fuzz::CUnpluggedSimDevice::PlugCommand(line)) continue;
    std::string reply = control.Execute(line);
    if (reply.empty() || reply.find('\n') != std::string::npos) __builtin_trap();
  }
  const uint8_t read[9] = {0, 0x01, 'e', 0};
  std::vector<uint8_t> answer;
  if (!firmware.OnSetFeature(read) || !firmware.OnGetFeature(&answer) || answer.size() != 9)
    __builtin_trap();
  return 0;
}
