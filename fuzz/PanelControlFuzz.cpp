// Arbitrary lines on panel-sim's control channel: one reply line each, "ok", a value or
// "error ...", and the firmware state they change stays answerable. (The firmware's answers
// to output reports are fuzzed by fuzz_sim_hid_frame.)
#include <cstddef>
#include <cstdint>
#include <string>

#include "fuzz/FuzzBytes.h"
#include "fuzz/UnpluggedSimDevice.h"
#include "sim/panel-sim/PanelControl.h"
#include "sim/panel-sim/PanelFirmware.h"
#include "sim/panel-sim/PanelModel.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kv::fuzz::CUnpluggedSimDevice device(10);
  kv::CPanelFirmware firmware(kv::DefaultPanelModel());
  kv::CPanelControl control(firmware, device.Device());
  for (const std::string& line : kv::fuzz::Lines(std::string(reinterpret_cast<const char*>(data), size))) {
    if (kv::fuzz::CUnpluggedSimDevice::PlugCommand(line)) continue;
    std::string reply = control.Execute(line);
    if (reply.empty() || reply.find('\n') != std::string::npos) __builtin_trap();
  }
  // Whatever was set, the firmware still answers a calibration read.
  const uint8_t calibration[] = {1, 16, 0};
  for (const auto& answer : firmware.HandleOutput(calibration))
    if (answer.m_report[0] != 1) __builtin_trap();
  return 0;
}
