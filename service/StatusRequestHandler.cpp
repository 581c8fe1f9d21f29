#include "service/StatusRequestHandler.h"

#include "common/ControlCodes.h"
#include "common/SystemError.h"
#include "service/RequestFrame.h"

namespace kv {

bool CStatusRequestHandler::Handle(std::span<uint8_t> buffer, size_t read) {
  CRequestFrame frame(buffer, read);
  switch (frame.Validate()) {
    case CRequestFrame::Check::OK:
      break;
    case CRequestFrame::Check::LENGTH_MISMATCH:
    case CRequestFrame::Check::BAD_LAYOUT:
      frame.SetStatus(ERROR_CODE_INVALID_PARAMETER);
      return false;
  }
  uint32_t error = 0;
  std::shared_ptr<DeviceHandle> device = m_device.Acquire(&error);
  if (!device) {
    frame.SetStatus(error);
    return true;
  }
  uint32_t returned = 0;
  error = device->ControlOverlapped(CONTROL_CODE_WAIT_STATUS, frame.Payload(), frame.OutArea(),
                                    &returned);
  if (error == ERROR_CODE_SUCCESS) {
    frame.SetStatus(ERROR_CODE_SUCCESS);
    frame.SetOutReturned(returned);
  } else {
    frame.SetStatus(error);
    // Closes the handle only if it is still the current one: a wait ended because command
    // 13 replaced the device must not close the new one.
    m_device.Release(device);
  }
  return true;
}

}  // namespace kv
