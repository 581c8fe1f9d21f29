#pragma once
// The control channel of panel-sim: a Unix stream socket at <HID endpoint>.ctl, one text
// command per line, one reply line per command: "ok", a value, or "error TEXT". Numbers
// are decimal or 0x-hex.
//
//   ping                          ok
//   pen down X Y                  pen touches at X, Y (0..32767): answer type 3 (byte 2 = 0)
//                                 then type 6 (byte 2 = 1, X at 6-7, Y at 8-9)
//   pen move X Y                  new position, reported in the type 4 answer to opcode 5
//   pen up                        type 6 (byte 2 = 0) then type 3 (byte 2 = 1); opcode 5 is
//                                 then answered with type 6 (byte 2 = 0)
//   button N 0|1                  function button N (1 or 2) released/pressed: type 15
//   dip B                         DIP byte of answer type 1
//   checksum W [FLAG]             checksum word and flag byte (0 = good) of answer type 5
//   version V                     24-bit firmware version of answer type 5
//   calibration [W0 W1 W2 W3]     set the four stored calibration words; without words the
//                                 value "W0 W1 W2 W3" (as opcodes 64..71 last stored them)
//   calibration corrupt [N]       the next N (default 1) read-backs (answer type 11) carry a
//                                 wrong first word; the stored words stay. 0 cancels
//   devpos W0 W1 W2 W3            device position words of answer type 16
//   scrpos W0 W1 W2 W3            screen position words of answer type 17
//   records default|clear         self-test records of the model's boards / none
//   records add B2 .. B9          append one record (its 8 data bytes)
//   records count                 value: number of records (the end marker is not one)
//   pace MS                       spacing of the self-test records (default 2 ms)
//   last OP                       value: parameter of the last report with opcode OP,
//                                 "error none" when none came
//   count OP                      value: how many reports with opcode OP came
//   mute on|off                   stop / resume answering commands
//   delay MS                      answer every command MS late (0 = at once)
//   report ID [B1 ..]             send an input report with report id ID and these bytes
//   unplug | plug                 remove / restore the device on the bus
#include <string>

#include "sim/SimHidDevice.h"
#include "sim/panel-sim/PanelFirmware.h"

namespace kv {

class CPanelControl {
 public:
  CPanelControl(CPanelFirmware& firmware, CSimHidDevice& device);
  // One command line (without its line end) -> the reply line (without its line end).
  std::string Execute(const std::string& line);

 private:
  void Send(const std::array<uint8_t, 10>& report);
  CPanelFirmware& m_firmware;
  CSimHidDevice& m_device;
};

}  // namespace kv
