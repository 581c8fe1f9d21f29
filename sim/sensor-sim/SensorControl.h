#pragma once
// The control channel of sensor-sim: a Unix stream socket at <HID endpoint>.ctl, one text
// command per line, one reply line per command: "ok", a value, or "error TEXT". Numbers
// are decimal or 0x-hex.
//
//   ping                      ok
//   touch X Y W H             touch at sensor coordinates X, Y (0..65535) with size words
//                             W, H: one 65-byte input report, sent only in mode 5
//   release                   a report with both size words zero (mode 5 only)
//   report B1 ..              send a raw input report (report id 0, then these bytes)
//   ready 0|1                 the ready flag of command 'e'
//   flashstate W              the state word of command 'd'
//   refuseflash 0|1           1: flash writes fail (the state word stays 1, nothing written)
//   value CODE ADDR B2 ..     answer command CODE (a number) at AddressByte ADDR with
//                             these payload bytes, e.g. a value out of range
//   value16 CODE ADDR V       the same with one little-endian 16-bit word (may be negative)
//   table basic|precise|angle value: the table last uploaded ("error none" before any)
//   flashed                   value: 1 when flash was written, else 0
//   mode                      value: current operating mode
//   keepalive                 value: keep-alive records received
//   reads                     value: the reads since the last "reads" as CODE/ADDR hex
//                             words, oldest first ("none" when there were none)
//   features                  value: feature transfers received
//   unplug | plug             remove / restore the device on the bus
#include <string>

#include "sim/SimHidDevice.h"
#include "sim/sensor-sim/SensorFirmware.h"

namespace kv {

class CSensorControl {
 public:
  CSensorControl(CSensorFirmware& firmware, CSimHidDevice& device);
  std::string Execute(const std::string& line);

 private:
  CSensorFirmware& m_firmware;
  CSimHidDevice& m_device;
};

}  // namespace kv
