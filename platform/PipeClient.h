#pragma once
// Client end of a local pipe (see CPipeServer for how busy is marked). Errors carry the
// Windows codes: no endpoint (or one whose server is gone) 2, endpoint present but busy with
// another client 231, the server closed the connection 109.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Paths.h"

namespace kv {

class CPipeClient {
 public:
  CPipeClient(const CPaths& paths, const std::string& windowsName);
  ~CPipeClient();
  CPipeClient(const CPipeClient&) = delete;
  CPipeClient& operator=(const CPipeClient&) = delete;

  uint32_t Open();
  // Waits until the server can take a client or timeoutMs passes (WaitNamedPipe): 0, 2 or
  // ERROR_CODE_TIMEOUT. timeoutMs < 0 waits without limit. Like WaitNamedPipe it reserves
  // nothing: another client may still get there first.
  uint32_t WaitForServer(int timeoutMs);
  uint32_t Write(const uint8_t* data, size_t length, size_t* written);
  // timeoutMs < 0 waits without limit.
  uint32_t Read(uint8_t* buffer, size_t capacity, size_t* read, int timeoutMs);
  void Close();

 private:
  struct Impl;
  std::unique_ptr<Impl> m_pImpl;
};

}  // namespace kv
