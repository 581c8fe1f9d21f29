#pragma once
// What a stand-in does with the reports the host sends to its simulated HID device.
// Called on the device's service thread, one call at a time; a handler may call
// CSimHidDevice::SendInputReport from inside.
#include <cstdint>
#include <span>
#include <vector>

namespace kv {

class SimHidHandler {
 public:
  virtual ~SimHidHandler() = default;
  // report[0] is the report id; the size is the declared output length.
  virtual void OnOutputReport(std::span<const uint8_t> report) = 0;
  // True to accept (HidD_SetFeature succeeds), false to refuse.
  virtual bool OnSetFeature(std::span<const uint8_t> report) { (void)report; return false; }
  // Fill *report (report id first, at most length bytes); false refuses the transfer,
  // and so does leaving the report empty. Not answering at all is done by not returning
  // until the host gave up, or by CSimHidDevice::SetFeatureSilence.
  virtual bool OnGetFeature(uint8_t reportId, size_t length, std::vector<uint8_t>* report) {
    (void)reportId; (void)length; (void)report;
    return false;
  }
};

}  // namespace kv
