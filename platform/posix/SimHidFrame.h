#pragma once
// Framing on the endpoint of a simulated HID device: a SOCK_SEQPACKET socket, one frame
// per message, byte 0 the kind, then the fields below. Reports always start with their
// report id byte. Each host connection is one open handle; the device copies every input
// report to all of them, as every Windows HID handle has its own input queue.
//
//   host -> device
//     OUTPUT       [1, report...]                      output report (WriteFile)
//     SET_FEATURE  [2, seq, report...]                 answered by FEATURE_ACK
//     GET_FEATURE  [3, seq, report id, length lo, hi]  answered by FEATURE_REPORT, or by
//                                                      FEATURE_ACK with a non-zero status
//   device -> host
//     HELLO          [0x80]                            first frame of every connection
//     INPUT          [0x81, report...]
//     FEATURE_ACK    [0x82, seq, status]               status 0 = accepted
//     FEATURE_REPORT [0x83, seq, report...]
//
// The device sends HELLO once it has taken the connection in, and the host's open waits
// for it: an input report the device sends after the open returned reaches the handle.
// seq pairs an answer with its request, so that a late answer to a request that already
// timed out is never taken for the answer to the next one.
#include <cstddef>
#include <cstdint>

namespace kv {

inline constexpr uint8_t SIM_HID_OUTPUT = 0x01;
inline constexpr uint8_t SIM_HID_SET_FEATURE = 0x02;
inline constexpr uint8_t SIM_HID_GET_FEATURE = 0x03;
inline constexpr uint8_t SIM_HID_HELLO = 0x80;
inline constexpr uint8_t SIM_HID_INPUT = 0x81;
inline constexpr uint8_t SIM_HID_FEATURE_ACK = 0x82;
inline constexpr uint8_t SIM_HID_FEATURE_REPORT = 0x83;

// Largest report a simulated device may declare, and the largest frame on the wire.
inline constexpr size_t SIM_HID_MAX_REPORT = 4096;
inline constexpr size_t SIM_HID_MAX_FRAME = SIM_HID_MAX_REPORT + 2;

}  // namespace kv
