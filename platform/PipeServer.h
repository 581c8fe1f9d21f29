#pragma once
// Server end of one local pipe with a single instance: one client is served at a time,
// the next sees pipe busy (231) and waits for the server. On posix this is a SOCK_SEQPACKET
// socket at CPaths::PipePath(name), mode 0666 in a folder only its owner writes: one message
// per write, so a read returns what the client wrote. Every blocking call returns
// ERROR_CODE_OPERATION_ABORTED at once after Stop().
//
// Busy marking on posix: a Unix socket queues connections in its backlog, so on its own a
// second client would wait silently behind the first. Every client therefore holds an
// exclusive flock(2) on "<path>.client" for as long as it is connected; a client that cannot
// take it sees 231 at once, and CPipeClient::WaitForServer polls it. The kernel drops the
// lock with the client, so a crashed client never blocks the pipe. The server holds
// "<path>.server" for its lifetime: that tells a live endpoint from a socket left behind by
// a crash (clients then see 2, and the next Create replaces it), and keeps a second server
// from taking over the name (Create gives 231). Clients that skip the lock are still
// served, one after the other, from the backlog.
//
// Connections from the guest account ("nobody") are closed unserved.
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
