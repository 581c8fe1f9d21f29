#pragma once
// The device endpoint protocol: how a driver device ("\\.\kvtpd700") is reached on posix.
// The driver (or its stand-in) serves a SOCK_SEQPACKET Unix socket at
// CPaths::DevicePath(name); one message carries one request or one answer, all fields
// little-endian at fixed offsets:
//
//   request  0 u32 call id (never 0)     answer  0 u32 call id of the request
//            4 u32 control code                  4 u32 system error code (0 = success)
//            8 u32 out capacity                  8 u32 returned count
//           12 u32 in length                    12 returned count bytes of output
//           16 in length bytes of input
//
// A message is valid only when its length is exactly header + in length (request) or
// header + returned count (answer), and in length, out capacity and returned count are at
// most DEVICE_MAX_DATA; an answer's returned count must also fit its request's capacity.
// Call ids let several calls share one handle: a pending overlapped call and synchronous
// calls from other threads are answered in any order.
//
// Opening is exclusive, like a device opened without sharing: the server sends every
// connection it accepts one answer with call id 0 and count 0 before anything else. Its error
// code is 0 when the connection is now the open handle, or ERROR_CODE_SHARING_VIOLATION when
// another handle is open; the server then closes that connection. Closing the connection
// closes the handle.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

namespace kv {

inline constexpr uint32_t DEVICE_OPEN_CALL_ID = 0;
inline constexpr size_t DEVICE_REQUEST_HEADER_SIZE = 16;
inline constexpr size_t DEVICE_ANSWER_HEADER_SIZE = 12;
inline constexpr size_t DEVICE_MAX_DATA = 65536;

struct DeviceRequestFrame {
  uint32_t m_uCallId = 0;
  uint32_t m_uCode = 0;
  uint32_t m_uOutCapacity = 0;
  std::span<const uint8_t> m_in;  // points into the decoded message
};

struct DeviceAnswerFrame {
  uint32_t m_uCallId = 0;
  uint32_t m_uError = 0;
  std::span<const uint8_t> m_out;  // points into the decoded message
};

std::vector<uint8_t> EncodeDeviceRequest(uint32_t callId, uint32_t code, uint32_t outCapacity,
                                         std::span<const uint8_t> in);
std::vector<uint8_t> EncodeDeviceAnswer(uint32_t callId, uint32_t error, std::span<const uint8_t> out);
// False when the message breaks any rule above (the call id is then still in *frame when the
// message holds one, so that the sender can be told).
bool DecodeDeviceRequest(std::span<const uint8_t> message, DeviceRequestFrame* frame);
bool DecodeDeviceAnswer(std::span<const uint8_t> message, DeviceAnswerFrame* frame);

}  // namespace kv
