#include "tabrix/driverlink/PipeClientTransport.h"

#include <new>

#include "platform/PipeClient.h"

namespace kv {

namespace {

class CPipeClientConnection final : public PipeConnection {
 public:
  CPipeClientConnection(const CPaths& paths, const std::string& name) : m_client(paths, name) {}
  uint32_t Open() override { return m_client.Open(); }
  uint32_t WaitForServer(int timeoutMs) override { return m_client.WaitForServer(timeoutMs); }
  uint32_t Write(const uint8_t* data, size_t length, size_t* written) override {
    return m_client.Write(data, length, written);
  }
  uint32_t Read(uint8_t* buffer, size_t capacity, size_t* read) override {
    return m_client.Read(buffer, capacity, read, -1);
  }
  void Close() override { m_client.Close(); }

 private:
  CPipeClient m_client;
};

}  // namespace

std::unique_ptr<PipeConnection> CPipeClientTransport::NewConnection(const std::string& pipeName) {
  return std::unique_ptr<PipeConnection>(new (std::nothrow) CPipeClientConnection(m_paths, pipeName));
}

}  // namespace kv
