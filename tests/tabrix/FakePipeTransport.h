#pragma once
// A pipe transport for unit tests of the driver link: records every connection and
// request, answers like the service would (the request echoed with out returned and the
// out area filled), and lets a test script open results, waits and broken answers.
#include <cstring>
#include <deque>
#include <functional>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "common/LittleEndian.h"
#include "common/PipeRequest.h"
#include "common/SystemError.h"
#include "tabrix/driverlink/PipeTransport.h"

namespace kv::test {

struct FakeExchange {
  std::string m_sPipe;
  std::vector<uint8_t> m_request;
  uint32_t Command() const { return m_request.size() >= 12 ? ReadU32(m_request.data() + 8) : 0; }
};

class CFakePipeTransport final : public PipeTransport {
 public:
  // Results of successive Open calls; once used up every Open succeeds.
  std::deque<uint32_t> m_openResults;
  uint32_t m_uWaitResult = ERROR_CODE_SUCCESS;
  std::vector<int> m_waits;
  int m_iConnections = 0;
  std::vector<FakeExchange> m_exchanges;
  // Out area bytes to return for a command; the count returned is their size. Commands
  // without an entry return their payload (as the service does for settings), out size
  // bytes of it.
  std::map<uint32_t, std::vector<uint8_t>> m_replies;
  // Replaces the whole answer when set (after the default answer was made).
  std::function<void(std::vector<uint8_t>*)> m_tamper;
  uint32_t m_uReadResult = ERROR_CODE_SUCCESS;

  std::unique_ptr<PipeConnection> NewConnection(const std::string& pipeName) override {
    ++m_iConnections;
    return std::make_unique<Connection>(this, pipeName);
  }

  std::vector<uint32_t> Commands() const {
    std::vector<uint32_t> out;
    for (const auto& e : m_exchanges) out.push_back(e.Command());
    return out;
  }

 private:
  class Connection final : public PipeConnection {
   public:
    Connection(CFakePipeTransport* owner, std::string pipe) : m_pOwner(owner), m_sPipe(std::move(pipe)) {}
    uint32_t Open() override {
      if (m_pOwner->m_openResults.empty()) return ERROR_CODE_SUCCESS;
      uint32_t r = m_pOwner->m_openResults.front();
      m_pOwner->m_openResults.pop_front();
      return r;
    }
    uint32_t WaitForServer(int timeoutMs) override {
      m_pOwner->m_waits.push_back(timeoutMs);
      return m_pOwner->m_uWaitResult;
    }
    uint32_t Write(const uint8_t* data, size_t length, size_t* written) override {
      m_request.assign(data, data + length);
      m_pOwner->m_exchanges.push_back({m_sPipe, m_request});
      *written = length;
      return ERROR_CODE_SUCCESS;
    }
    uint32_t Read(uint8_t* buffer, size_t capacity, size_t* read) override {
      if (m_pOwner->m_uReadResult != ERROR_CODE_SUCCESS) return m_pOwner->m_uReadResult;
      std::vector<uint8_t> answer = m_pOwner->Answer(m_request);
      size_t n = answer.size() < capacity ? answer.size() : capacity;
      if (n != 0) std::memcpy(buffer, answer.data(), n);
      *read = n;
      return ERROR_CODE_SUCCESS;
    }
    void Close() override {}

   private:
    CFakePipeTransport* m_pOwner;
    std::string m_sPipe;
    std::vector<uint8_t> m_request;
  };

  std::vector<uint8_t> Answer(std::vector<uint8_t> message) {
    PipeRequest request(message);
    uint32_t command = 0, outSize = 0;
    std::span<uint8_t> payload, area;
    if (request.Command(&command) && request.OutSize(&outSize) && request.Payload(&payload) &&
        request.OutArea(&area)) {
      auto it = m_replies.find(command);
      if (it != m_replies.end()) {
        size_t n = it->second.size() < area.size() ? it->second.size() : area.size();
        if (n != 0) std::memcpy(area.data(), it->second.data(), n);
        request.SetOutReturned(static_cast<uint32_t>(it->second.size()));
      } else {
        size_t n = payload.size() < area.size() ? payload.size() : area.size();
        if (n != 0) std::memcpy(area.data(), payload.data(), n);
        request.SetOutReturned(outSize);
      }
      request.SetStatus(ERROR_CODE_SUCCESS);
    }
    if (m_tamper) m_tamper(&message);
    return message;
  }
};

}  // namespace kv::test
