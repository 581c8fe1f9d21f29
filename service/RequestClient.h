#pragma once
// A minimal client of the service's pipes for the command-line tool, the benchmark and the
// tests: builds one request, sends it on a fresh connection and reads the answer.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "platform/Paths.h"

namespace kv {

struct RequestAnswer {
  uint32_t m_uTransport = 0;  // 0, or the pipe error
  uint32_t m_uStatus = 0;
  uint32_t m_uReturned = 0;
  std::vector<uint8_t> m_out;   // the whole out area
  std::vector<uint8_t> m_raw;   // the answer as read
};

class CRequestClient {
 public:
  // The request as a client sends it; empty when it would exceed the 1024 bytes the service
  // reads.
  static std::vector<uint8_t> Build(uint32_t command, std::span<const uint8_t> in,
                                    uint32_t outSize);
  // Sends raw bytes and reads the answer (up to capacity bytes). The answer replaces
  // message. timeoutMs bounds the wait for the pipe and for the answer (< 0: no limit).
  static uint32_t Transact(const CPaths& paths, const std::string& pipeName,
                           std::vector<uint8_t>* message, int timeoutMs, size_t capacity = 0);
  // Build + Transact + decode.
  static RequestAnswer Send(const CPaths& paths, const std::string& pipeName, uint32_t command,
                            std::span<const uint8_t> in, uint32_t outSize, int timeoutMs = 5000);
};

}  // namespace kv
