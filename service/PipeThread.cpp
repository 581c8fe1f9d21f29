#include "service/PipeThread.h"

#include <array>
#include <chrono>

#include "common/SystemError.h"
#include "platform/Accounts.h"
#include "service/RequestFrame.h"

namespace kv {

CPipeThread::CPipeThread(const CPaths& paths, std::string windowsName, RequestHandler& handler,
                         Clock& clock, PipeThreadOptions options)
    : m_server(paths, windowsName), m_handler(handler), m_clock(clock), m_options(options) {}

CPipeThread::~CPipeThread() {
  Stop();
  Join();
}

int64_t CPipeThread::GuestUid() { return GuestAccountUid(); }

uint32_t CPipeThread::Start() {
  uint32_t rc = m_server.Create();
  if (rc != ERROR_CODE_SUCCESS) {
    m_uExitCode = rc;
    return rc;
  }
  m_thread = std::thread([this] { Run(); });
  return ERROR_CODE_SUCCESS;
}

void CPipeThread::Stop() { m_server.Stop(); }

void CPipeThread::Join() {
  if (m_thread.joinable()) m_thread.join();
}

void CPipeThread::Run() {
  while (ServeOne()) {
  }
}

bool CPipeThread::ServeOne() {
  PeerCredentials peer;
  uint32_t rc = m_server.Connect(&peer);
  if (m_server.Stopped()) return false;
  if (rc != ERROR_CODE_SUCCESS) {
    // Not a client: do not spin on a persistent error.
    m_clock.Sleep(PIPE_SETTLE_MS);
    return true;
  }
  if (m_options.m_iRefusedUid >= 0 && peer.m_uUid == static_cast<uint64_t>(m_options.m_iRefusedUid)) {
    m_server.Disconnect();
    return true;
  }
  m_clock.Sleep(PIPE_SETTLE_MS);
  std::array<uint8_t, PIPE_MESSAGE_CAPACITY> buffer{};
  size_t read = 0;
  rc = m_server.Read(buffer.data(), buffer.size(), &read, m_options.m_iTimeoutMs);
  if (m_server.Stopped()) return false;
  // A longer message is cut at the buffer size and then fails the length check.
  if (rc == ERROR_CODE_MORE_DATA) rc = ERROR_CODE_SUCCESS;
  if (rc == ERROR_CODE_SUCCESS && read > 0) {
    m_handler.Handle(buffer, read);
    m_server.Write(buffer.data(), read);
    if (m_server.Stopped()) return false;
  }
  // Silent clients, clients that hung up and clients past the time-out all end here.
  m_server.Disconnect();
  return true;
}

}  // namespace kv
