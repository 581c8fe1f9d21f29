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
#include <span>

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

// One frame with its kind and length checked; m_report points into the frame.
struct SimHidFrameView {
  uint8_t m_uKind = 0;
  uint8_t m_uSeq = 0;       // SET_FEATURE, GET_FEATURE, FEATURE_ACK, FEATURE_REPORT
  uint8_t m_uStatus = 0;    // FEATURE_ACK; one without its status byte counts as refused
  uint8_t m_uReportId = 0;  // GET_FEATURE
  size_t m_uLength = 0;     // GET_FEATURE: 1..SIM_HID_MAX_REPORT
  std::span<const uint8_t> m_report;  // OUTPUT and SET_FEATURE (never empty), INPUT (never
                                      // empty), FEATURE_REPORT (empty when the device sent none)
};

// A frame from a host as the device takes it (OUTPUT, SET_FEATURE, GET_FEATURE); false for
// any other kind, a frame too short for its kind, or one longer than SIM_HID_MAX_FRAME.
bool DecodeSimHidHostFrame(std::span<const uint8_t> frame, SimHidFrameView* view);
// A frame from the device as a host takes it (HELLO, INPUT, FEATURE_ACK, FEATURE_REPORT).
bool DecodeSimHidDeviceFrame(std::span<const uint8_t> frame, SimHidFrameView* view);

}  // namespace kv
