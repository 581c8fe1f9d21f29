// Arbitrary bytes read as a pipe request, the way the service reads what a client sent:
// every accessor must stay inside the bytes received, whatever the length fields say.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <vector>

#include "common/DriverInfoRecord.h"
#include "common/DriverSettings.h"
#include "common/DriverStatusRecord.h"
#include "common/PipeRequest.h"
#include "common/SettingsMerge.h"
#include "common/TouchPointRecord.h"

namespace {

void Require(bool condition) {
  if (!condition) std::abort();
}

bool Inside(std::span<const uint8_t> part, std::span<const uint8_t> whole) {
  return part.empty() || (part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size());
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size > kv::PipeRequest::MAX_MESSAGE_SIZE) size = kv::PipeRequest::MAX_MESSAGE_SIZE;
  std::vector<uint8_t> bytes(data, data + size);
  kv::PipeRequest request(bytes);

  uint32_t total = 0, status = 0, command = 0, inSize = 0, outSize = 0, returned = 0;
  (void)request.TotalLength(&total);
  (void)request.Status(&status);
  (void)request.Command(&command);
  (void)request.InSize(&inSize);
  (void)request.LengthMatches();
  size_t p = 0;
  if (request.OutDescriptorOffset(&p)) Require(p <= bytes.size());
  (void)request.OutSize(&outSize);
  (void)request.OutReturned(&returned);

  std::span<uint8_t> payload, area;
  std::span<const uint8_t> output;
  const bool hasPayload = request.Payload(&payload);
  if (hasPayload) Require(Inside(payload, bytes) && payload.size() == inSize);
  const bool hasArea = request.OutArea(&area);
  if (hasArea) Require(Inside(area, bytes) && area.size() == outSize);
  if (request.ReturnedOutput(&output)) Require(Inside(output, bytes) && output.size() <= area.size());

  // What the service does with a settings command: merge, answer into the out area.
  if (hasPayload && payload.size() == kv::DriverSettings::SIZE) {
    kv::DriverSettings current;
    std::array<uint8_t, kv::DriverSettings::SIZE> merged;
    if (kv::MergeForCommand(command, current.Encode(), payload, &merged)) {
      (void)request.SetOutArea(merged);
    }
  }
  if (hasArea && area.size() >= kv::TouchPointRecord::SIZE) {
    kv::TouchPointRecord point;
    Require(kv::TouchPointRecord::Decode(area.first(kv::TouchPointRecord::SIZE), &point));
    kv::DriverInfoRecord info;
    Require(kv::DriverInfoRecord::Decode(area.first(kv::DriverInfoRecord::SIZE), &info));
    Require(info.VersionText().size() < kv::DriverInfoRecord::VERSION_TEXT_SIZE);
    kv::DriverStatusRecord st;
    Require(kv::DriverStatusRecord::Decode(area.first(kv::DriverStatusRecord::SIZE), &st));
  }
  (void)request.SetStatus(87);
  (void)request.SetOutReturned(returned);
  return 0;
}
