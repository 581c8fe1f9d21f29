// Arbitrary messages through the control pipe's request handler, against an in-memory
// device with a path already set: the handler must never read or write outside the
// message buffer, whatever the sizes claim.
#include <array>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <vector>

#include "service/ControlRequestHandler.h"
#include "service/DeviceSlot.h"
#include "tests/service/FakeDevice.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  kv::test::CFakeDevice io;
  kv::CDeviceSlot slot(io);
  slot.SetPath("\\\\.\\kvtpd700");
  kv::CControlRequestHandler handler(slot);
  std::array<uint8_t, 1024> buffer{};
  size_t n = size < buffer.size() ? size : buffer.size();
  if (n) std::memcpy(buffer.data(), data, n);
  // Only what was read is handed over, as the pipe thread does.
  handler.Handle(buffer, n);
  return 0;
}
