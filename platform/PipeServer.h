#pragma once
// Server end of one local pipe with a single instance: one client is served at a time,
// the next waits (and sees pipe busy). On posix this is a SOCK_SEQPACKET socket at
// CPaths::PipePath(name): one message per write, so a read returns what the client wrote.
// Every blocking call returns ERROR_CODE_OPERATION_ABORTED at once after Stop().
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/Paths.h"

namespace kv {

struct PeerCredentials {
  uint32_t m_uUid = 0;
  uint32_t m_uGid = 0;
  uint32_t m_uPid = 0;
};

class CPipeServer {
 public:
  CPipeServer(const CPaths& paths, const std::string& windowsName);
  ~CPipeServer();
  CPipeServer(const CPipeServer&) = delete;
  CPipeServer& operator=(const CPipeServer&) = delete;

  // Creates the endpoint (replacing a stale one). 0 or a system error code.
  uint32_t Create();
  // Waits for the next client; 0 when one is connected.
  uint32_t Connect(PeerCredentials* peer);
  // Reads one message of at most capacity bytes. timeoutMs < 0 waits without limit;
  // ERROR_CODE_TIMEOUT when nothing arrived in time, 0 with *read = 0 when the client
  // closed without sending.
  uint32_t Read(uint8_t* buffer, size_t capacity, size_t* read, int timeoutMs);
  uint32_t Write(const uint8_t* data, size_t length);
  // Ends the current client's connection.
  void Disconnect();
  // Thread-safe; wakes a blocked Connect or Read at once. Stays stopped.
  void Stop();
  bool Stopped() const;
  const std::string& Path() const;

 private:
  struct Impl;
  std::unique_ptr<Impl> m_pImpl;
};

}  // namespace kv
