#pragma once
// DeviceWatch of the system's HID devices: a udev monitor on the hidraw subsystem. The
// vendor and product come from the HID parent's HID_ID ("bus:vendor:product").
#include <libudev.h>

#include "platform/DeviceWatch.h"

namespace kv {

class CUdevDeviceWatch final : public DeviceWatch {
 public:
  CUdevDeviceWatch();
  ~CUdevDeviceWatch() override;
  CUdevDeviceWatch(const CUdevDeviceWatch&) = delete;
  CUdevDeviceWatch& operator=(const CUdevDeviceWatch&) = delete;
  int Descriptor() const override;
  std::vector<DeviceEvent> ReadEvents() override;

  // "0003:00002F11:00005A01" -> 0x2F11, 0x5A01; false for anything else.
  static bool ParseHidId(const char* text, uint16_t* vendorId, uint16_t* productId);

 private:
  udev* m_pUdev = nullptr;
  udev_monitor* m_pMonitor = nullptr;
};

}  // namespace kv
