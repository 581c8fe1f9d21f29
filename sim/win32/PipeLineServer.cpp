#include "sim/win32/PipeLineServer.h"

#include <vector>

#include "common/SystemError.h"

namespace kv {

CPipeLineServer::CPipeLineServer(const CPaths& paths, const std::string& windowsName, Handler handler,
                                 size_t maxLine)
    : m_server(paths, windowsName), m_handler(std::move(handler)), m_uMaxLine(maxLine) {}

CPipeLineServer::~CPipeLineServer() { Stop(); }

uint32_t CPipeLineServer::Start() {
  if (uint32_t rc = m_server.Create()) return rc;
  m_thread = std::thread([this] { Run(); });
  return ERROR_CODE_SUCCESS;
}

void CPipeLineServer::Stop() {
  m_server.Stop();
  if (m_thread.joinable()) m_thread.join();
}

std::string CPipeLineServer::Answer(const std::string& received, bool* hangUp) const {
  *hangUp = false;
  std::string line = received;
  if (!line.empty() && line.back() == '\r') line.pop_back();
  if (line.size() > m_uMaxLine) {
    *hangUp = true;
    return "error line too long";
  }
  for (char c : line) {
    if (static_cast<unsigned char>(c) < 0x20 && c != '\t') return "error bad character";
  }
  return m_handler(line);
}

void CPipeLineServer::Run() {
  while (!m_server.Stopped()) {
    if (m_server.Connect(nullptr) != ERROR_CODE_SUCCESS) continue;
    ServeClient();
    m_server.Disconnect();
  }
}

void CPipeLineServer::ServeClient() {
  std::string pending;
  std::vector<uint8_t> buffer(512);
  for (;;) {
    size_t n = 0;
    if (m_server.Read(buffer.data(), buffer.size(), &n, -1) != ERROR_CODE_SUCCESS || n == 0) return;
    pending.append(reinterpret_cast<const char*>(buffer.data()), n);
    for (size_t end; (end = pending.find('\n')) != std::string::npos;) {
      bool hangUp = false;
      std::string reply = Answer(pending.substr(0, end), &hangUp) + "\n";
      pending.erase(0, end + 1);
      if (m_server.Write(reinterpret_cast<const uint8_t*>(reply.data()), reply.size()) != 0 || hangUp) return;
    }
    // A line that runs past the limit without its end is cut off here.
    if (pending.size() > m_uMaxLine + 1) {
      const std::string reply = "error line too long\n";
      m_server.Write(reinterpret_cast<const uint8_t*>(reply.data()), reply.size());
      return;
    }
  }
}

}  // namespace kv
