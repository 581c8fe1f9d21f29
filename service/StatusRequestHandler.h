#pragma once
// Serves the status pipe: whatever the command field says, the request is the driver's
// status wait, which may stay pending for a long time.
#include "service/DeviceSlot.h"
#include "service/RequestHandler.h"

namespace kv {

class CStatusRequestHandler final : public RequestHandler {
 public:
  explicit CStatusRequestHandler(CDeviceSlot& device) : m_device(device) {}
  bool Handle(std::span<uint8_t> buffer, size_t read) override;

 private:
  CDeviceSlot& m_device;
};

}  // namespace kv
