#include "platform/DeviceEndpoint.h"

#include <algorithm>

#include "common/LittleEndian.h"

namespace kv {

std::vector<uint8_t> EncodeDeviceRequest(uint32_t callId, uint32_t code, uint32_t outCapacity,
                                         std::span<const uint8_t> in) {
  std::vector<uint8_t> msg(DEVICE_REQUEST_HEADER_SIZE + in.size());
  WriteU32(&msg[0], callId);
  WriteU32(&msg[4], code);
  WriteU32(&msg[8], outCapacity);
  WriteU32(&msg[12], static_cast<uint32_t>(in.size()));
  std::copy(in.begin(), in.end(), msg.begin() + DEVICE_REQUEST_HEADER_SIZE);
  return msg;
}

std::vector<uint8_t> EncodeDeviceAnswer(uint32_t callId, uint32_t error, std::span<const uint8_t> out) {
  std::vector<uint8_t> msg(DEVICE_ANSWER_HEADER_SIZE + out.size());
  WriteU32(&msg[0], callId);
  WriteU32(&msg[4], error);
  WriteU32(&msg[8], static_cast<uint32_t>(out.size()));
  std::copy(out.begin(), out.end(), msg.begin() + DEVICE_ANSWER_HEADER_SIZE);
  return msg;
}

bool DecodeDeviceRequest(std::span<const uint8_t> message, DeviceRequestFrame* frame) {
  *frame = DeviceRequestFrame{};
  if (!CheckedReadU32(message, 0, &frame->m_uCallId)) return false;
  uint32_t inLength = 0;
  if (!CheckedReadU32(message, 4, &frame->m_uCode) || !CheckedReadU32(message, 8, &frame->m_uOutCapacity) ||
      !CheckedReadU32(message, 12, &inLength))
    return false;
  if (frame->m_uCallId == DEVICE_OPEN_CALL_ID || inLength > DEVICE_MAX_DATA ||
      frame->m_uOutCapacity > DEVICE_MAX_DATA || message.size() - DEVICE_REQUEST_HEADER_SIZE != inLength)
    return false;
  frame->m_in = message.subspan(DEVICE_REQUEST_HEADER_SIZE, inLength);
  return true;
}

bool DecodeDeviceAnswer(std::span<const uint8_t> message, DeviceAnswerFrame* frame) {
  *frame = DeviceAnswerFrame{};
  if (!CheckedReadU32(message, 0, &frame->m_uCallId)) return false;
  uint32_t returned = 0;
  if (!CheckedReadU32(message, 4, &frame->m_uError) || !CheckedReadU32(message, 8, &returned)) return false;
  if (returned > DEVICE_MAX_DATA || message.size() - DEVICE_ANSWER_HEADER_SIZE != returned) return false;
  frame->m_out = message.subspan(DEVICE_ANSWER_HEADER_SIZE, returned);
  return true;
}

}  // namespace kv
