// Arbitrary lines on panel-sim's control channel: one reply line each, "ok", a value or
// "error ...", and the firmware state they change stays answerable.
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/FuzzBytes.h"
#include "fuzz/UnpluggedSimDevice.h"
#include "sim/panel-sim/PanelControl.h"
#include "sim/panel-sim/PanelFirmware.h"
#include "sim/panel-sim/PanelModel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kv::CSimHidDevice& device = kv::fuzz::UnpluggedSimDevice(10);
  kv::CPanelFirmware firmware(kv::DefaultPanelModel());
  kv::CPanelControl control(firmware, device);
  for (const std::string& line : kv::fuzz::Lines(std::string(reinterpret_cast<const char*>(data), size))) {
    if (kv::fuzz::PlugCommand(line)) continue;
    std::string reply = control.Execute(line);
    if (reply.empty() || reply.find('\n') != std::string::npos) __builtin_trap();
  }
  // Whatever was set, the firmware still answers a self-test and a calibration read.
  const uint8_t selfTest[] = {1, 1, 0};
  const uint8_t calibration[] = {1, 16, 0};
  for (const auto& answer : firmware.HandleOutput(selfTest))
    if (answer.m_report[0] != 1) __builtin_trap();
  for (const auto& answer : firmware.HandleOutput(calibration))
    if (answer.m_report[0] != 1) __builtin_trap();
  return 0;
}
