#include "service/ControlRequestHandler.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <string>

#include "common/CommandCodes.h"
#include "common/ControlCodes.h"
#include "common/LittleEndian.h"
#include "common/SettingsMerge.h"
#include "common/SystemError.h"

namespace kv {

namespace {

constexpr size_t SETTINGS_SIZE = DriverSettings::SIZE;
constexpr size_t TOUCH_POINT_SIZE = 24;

uint32_t ForwardCode(uint32_t command) {
  switch (command) {
    case COMMAND_GET_DRIVER_INFO: return CONTROL_CODE_GET_INFO;
    case COMMAND_CANCEL_STATUS_WAIT: return CONTROL_CODE_CANCEL_WAIT;
    case COMMAND_SET_TOUCH_MODE: return CONTROL_CODE_SET_TOUCH_MODE;
    default: return 0;  // unknown codes reach the driver as code 0, which refuses them
  }
}

}  // namespace

bool CControlRequestHandler::Handle(std::span<uint8_t> buffer, size_t read) {
  CRequestFrame frame(buffer, read);
  switch (frame.Validate()) {
    case CRequestFrame::Check::OK:
      break;
    case CRequestFrame::Check::LENGTH_MISMATCH:
    case CRequestFrame::Check::BAD_LAYOUT:
      frame.SetStatus(ERROR_CODE_INVALID_PARAMETER);
      return false;
  }
  uint32_t command = frame.Command();
  if (command == COMMAND_SET_DEVICE_PATH) {
    SetDevicePath(frame);
    return true;
  }
  uint32_t error = 0;
  std::shared_ptr<DeviceHandle> device = m_device.Acquire(&error);
  if (!device) {
    frame.SetStatus(error);
    return true;
  }
  uint32_t returned = 0;
  if (FindSettingsMergeRule(command)) {
    if (frame.Payload().size() != SETTINGS_SIZE) {
      frame.SetStatus(ERROR_CODE_INVALID_PARAMETER);
      return true;
    }
    error = UpdateSettings(*device, command, frame, &returned);
  } else if (command == COMMAND_TAKE_TOUCH_POINT || command == COMMAND_READ_TOUCH_POINT) {
    error = ExchangeTouchPoint(*device, command, frame, &returned);
  } else {
    error = device->Control(ForwardCode(command), frame.Payload(), frame.OutArea(), &returned);
  }
  frame.SetStatus(error);
  if (error == ERROR_CODE_SUCCESS) {
    frame.SetOutReturned(returned);
  } else {
    // The next request opens the device again.
    m_device.Release(device);
  }
  return true;
}

void CControlRequestHandler::SetDevicePath(CRequestFrame& frame) {
  // At most 259 characters up to the first NUL, whatever the client sent.
  std::span<const uint8_t> payload = frame.Payload();
  size_t length = 0;
  while (length < payload.size() && length < DEVICE_PATH_CAPACITY - 1 && payload[length] != 0)
    ++length;
  std::string path(reinterpret_cast<const char*>(payload.data()), length);
  frame.SetStatus(m_device.SetPath(path));
}

uint32_t CControlRequestHandler::UpdateSettings(DeviceHandle& device, uint32_t command,
                                                CRequestFrame& frame, uint32_t* returned) {
  // Read, merge the command's fields, write back: the driver keeps everything else.
  std::array<uint8_t, SETTINGS_SIZE> current{};
  uint32_t got = 0;
  uint32_t error = device.Control(CONTROL_CODE_GET_SETTINGS, current, current, &got);
  if (error != ERROR_CODE_SUCCESS) return error;
  std::span<uint8_t> payload = frame.Payload();
  std::array<uint8_t, SETTINGS_SIZE> merged{};
  if (!MergeForCommand(command, current, payload, &merged)) return ERROR_CODE_INVALID_PARAMETER;
  std::memcpy(payload.data(), merged.data(), SETTINGS_SIZE);
  error = device.Control(CONTROL_CODE_SET_SETTINGS, payload, frame.OutArea(), returned);
  // The client receives the record as written (as much of it as its out area holds).
  std::span<uint8_t> out = frame.OutArea();
  std::memcpy(out.data(), merged.data(), std::min(out.size(), SETTINGS_SIZE));
  return error;
}

uint32_t CControlRequestHandler::ExchangeTouchPoint(DeviceHandle& device, uint32_t command,
                                                    CRequestFrame& frame, uint32_t* returned) {
  uint32_t error =
      device.Control(CONTROL_CODE_GET_TOUCH_POINT, frame.Payload(), frame.OutArea(), returned);
  if (error != ERROR_CODE_SUCCESS) return error;
  // The out area keeps the point as read; the driver gets it back, consumed for command 5.
  std::array<uint8_t, TOUCH_POINT_SIZE> record{};
  std::span<uint8_t> out = frame.OutArea();
  std::memcpy(record.data(), out.data(), std::min(out.size(), TOUCH_POINT_SIZE));
  if (command == COMMAND_TAKE_TOUCH_POINT) {
    WriteI32(record.data(), -1);
    WriteI32(record.data() + 4, -1);
  }
  std::array<uint8_t, TOUCH_POINT_SIZE> echo{};
  uint32_t putReturned = 0;
  return device.Control(CONTROL_CODE_PUT_TOUCH_POINT, record, echo, &putReturned);
}

}  // namespace kv
