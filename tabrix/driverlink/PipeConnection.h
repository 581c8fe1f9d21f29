#pragma once
// The client end of one pipe connection as the driver link uses it; the real one is a
// CPipeClient, unit tests hand in a fake. Results are system error codes.
#include <cstddef>
#include <cstdint>

namespace kv {

class PipeConnection {
 public:
  virtual ~PipeConnection() = default;
  // 0, 2 (no server), 231 (server busy with another client) or another error.
  virtual uint32_t Open() = 0;
  // Waits until the server can take a client or timeoutMs passes.
  virtual uint32_t WaitForServer(int timeoutMs) = 0;
  virtual uint32_t Write(const uint8_t* data, size_t length, size_t* written) = 0;
  // Waits without limit for the answer.
  virtual uint32_t Read(uint8_t* buffer, size_t capacity, size_t* read) = 0;
  virtual void Close() = 0;
};

}  // namespace kv
