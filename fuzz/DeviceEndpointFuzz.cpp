// Arbitrary messages on a device endpoint, read by both ends: as requests by the driver's
// side (then carried out by the driver stand-in's model, as its endpoint does) and as
// answers by the caller's side. Whatever a decoder takes must round-trip through the
// encoder unchanged, and every answer must fit the capacity its request gave.
#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "common/ControlCodes.h"
#include "common/SystemError.h"
#include "fuzz/FuzzBytes.h"
#include "platform/DeviceEndpoint.h"
#include "sim/kvtpd/KvtpdModel.h"

namespace {

void Require(bool condition) {
  if (!condition) __builtin_trap();
}

// The caller's end: the answer the driver sends must decode to what was sent.
void CheckAnswer(uint32_t callId, uint32_t error, std::span<const uint8_t> out, uint32_t capacity) {
  Require(out.size() <= capacity);
  std::vector<uint8_t> message = kv::EncodeDeviceAnswer(callId, error, out);
  kv::DeviceAnswerFrame frame;
  Require(kv::DecodeDeviceAnswer(message, &frame) && frame.m_uCallId == callId &&
          frame.m_uError == error && frame.m_out.size() == out.size());
}

void Serve(kv::sim::CKvtpdModel& model, const kv::DeviceRequestFrame& request) {
  const uint32_t capacity = request.m_uOutCapacity;
  const uint32_t callId = request.m_uCallId;
  if (request.m_uCode == kv::CONTROL_CODE_WAIT_STATUS) {
    uint32_t rc = model.BeginWait(request.m_uCode,
                                  [capacity, callId](uint32_t error, std::span<const uint8_t> record) {
                                    CheckAnswer(callId, error, record.first(std::min<size_t>(record.size(), capacity)), capacity);
                                  });
    if (rc != kv::ERROR_CODE_IO_PENDING) CheckAnswer(callId, rc, {}, capacity);
    return;
  }
  std::vector<uint8_t> out(capacity);
  uint32_t returned = 0;
  uint32_t rc = model.Control(request.m_uCode, request.m_in, out, &returned);
  Require(returned <= capacity);
  CheckAnswer(callId, rc, std::span<const uint8_t>(out).first(returned), capacity);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kv::fuzz::CFuzzBytes in(data, size);
  kv::sim::CKvtpdModel model;
  model.Open();
  while (!in.Empty()) {
    std::span<const uint8_t> message = in.Piece(true);
    kv::DeviceRequestFrame request;
    if (kv::DecodeDeviceRequest(message, &request)) {
      Require(kv::EncodeDeviceRequest(request.m_uCallId, request.m_uCode, request.m_uOutCapacity,
                                      request.m_in) ==
              std::vector<uint8_t>(message.begin(), message.end()));
      Serve(model, request);
    }
    kv::DeviceAnswerFrame answer;
    if (kv::DecodeDeviceAnswer(message, &answer)) {
      Require(kv::EncodeDeviceAnswer(answer.m_uCallId, answer.m_uError, answer.m_out) ==
              std::vector<uint8_t>(message.begin(), message.end()));
    }
  }
  model.Close();
  return 0;
}
