#include "service/RequestClient.h"

#include <chrono>
#include <cstring>

#include "common/LittleEndian.h"
#include "common/PipeRequest.h"
#include "common/SystemError.h"
#include "platform/PipeClient.h"

namespace kv {

std::vector<uint8_t> CRequestClient::Build(uint32_t command, std::span<const uint8_t> in,
                                           uint32_t outSize) {
  std::vector<uint8_t> m;
  PipeRequest::Build(command, in, outSize, &m);
  return m;
}

uint32_t CRequestClient::Transact(const CPaths& paths, const std::string& pipeName,
                                  std::vector<uint8_t>* message, int timeoutMs, size_t capacity) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  CPipeClient pipe(paths, pipeName);
  uint32_t rc;
  for (;;) {
    rc = pipe.Open();
    if (rc != ERROR_CODE_PIPE_BUSY) break;
    int left = static_cast<int>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                    deadline - std::chrono::steady_clock::now())
                                    .count());
    if (timeoutMs >= 0 && left <= 0) return ERROR_CODE_PIPE_BUSY;
    rc = pipe.WaitForServer(timeoutMs < 0 ? 1000 : std::min(left, 1000));
    if (rc != ERROR_CODE_SUCCESS && rc != ERROR_CODE_TIMEOUT) return rc;
  }
  if (rc != ERROR_CODE_SUCCESS) return rc;
  size_t written = 0;
  rc = pipe.Write(message->data(), message->size(), &written);
  if (rc != ERROR_CODE_SUCCESS) return rc;
  if (written != message->size()) return ERROR_CODE_GEN_FAILURE;
  std::vector<uint8_t> answer(capacity ? capacity : message->size());
  size_t read = 0;
  rc = pipe.Read(answer.data(), answer.size(), &read, timeoutMs);
  if (rc != ERROR_CODE_SUCCESS) return rc;
  if (read == 0) return ERROR_CODE_BROKEN_PIPE;
  answer.resize(read);
  *message = std::move(answer);
  return ERROR_CODE_SUCCESS;
}

RequestAnswer CRequestClient::Send(const CPaths& paths, const std::string& pipeName,
                                   uint32_t command, std::span<const uint8_t> in,
                                   uint32_t outSize, int timeoutMs) {
  RequestAnswer a;
  std::vector<uint8_t> m = Build(command, in, outSize);
  size_t descriptor = in.empty() ? 17 : 16 + in.size();
  a.m_uTransport = Transact(paths, pipeName, &m, timeoutMs);
  a.m_raw = m;
  if (a.m_uTransport != ERROR_CODE_SUCCESS) return a;
  if (m.size() < descriptor + 8 + outSize) {
    a.m_uTransport = ERROR_CODE_INVALID_DATA;
    return a;
  }
  a.m_uStatus = ReadU32(m.data() + 4);
  a.m_uReturned = ReadU32(m.data() + descriptor + 4);
  a.m_out.assign(m.begin() + static_cast<long>(descriptor + 8),
                 m.begin() + static_cast<long>(descriptor + 8 + outSize));
  return a;
}

}  // namespace kv
