#pragma once
// Serves the control pipe: every configuration and query command, each turned into one or
// two control calls on the shared driver device.
#include "service/DeviceSlot.h"
#include "service/RequestFrame.h"
#include "service/RequestHandler.h"

namespace kv {

class CControlRequestHandler final : public RequestHandler {
 public:
  explicit CControlRequestHandler(CDeviceSlot& device) : m_device(device) {}
  bool Handle(std::span<uint8_t> buffer, size_t read) override;

 private:
  void SetDevicePath(CRequestFrame& frame);
  uint32_t UpdateSettings(DeviceHandle& device, uint32_t command, CRequestFrame& frame,
                          uint32_t* returned);
  uint32_t ExchangeTouchPoint(DeviceHandle& device, uint32_t command, CRequestFrame& frame,
                              uint32_t* returned);

  CDeviceSlot& m_device;
};

}  // namespace kv
