#include "sim/kvtpd/KvtpdEndpoint.h"

#include <vector>

#include "common/ControlCodes.h"
#include "common/SystemError.h"

namespace kv::sim {

CKvtpdEndpoint::CKvtpdEndpoint(const CPaths& paths, const std::string& deviceName,
                               CKvtpdModel& model)
    : m_model(model), m_server(paths, "\\\\.\\" + deviceName, this) {}

CKvtpdEndpoint::~CKvtpdEndpoint() { Stop(); }

uint32_t CKvtpdEndpoint::Start() {
  std::lock_guard<std::mutex> lock(m_mutex);
  uint32_t rc = m_server.Start();
  m_bServing = rc == ERROR_CODE_SUCCESS;
  return rc;
}

void CKvtpdEndpoint::Stop() {
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_bServing) m_server.Stop();
  m_bServing = false;
}

void CKvtpdEndpoint::Unplug() {
  m_model.Unplug();
  Stop();
}

void CKvtpdEndpoint::Plug() {
  m_model.Plug();
  std::lock_guard<std::mutex> lock(m_mutex);
  if (!m_bServing) m_bServing = m_server.Start() == ERROR_CODE_SUCCESS;
}

void CKvtpdEndpoint::OnOpen() { m_model.Open(); }

void CKvtpdEndpoint::OnClose() { m_model.Close(); }

void CKvtpdEndpoint::OnRequest(uint32_t code, std::span<const uint8_t> in,
                               std::shared_ptr<CDeviceEndpointServer::Reply> reply) {
  if (code == CONTROL_CODE_WAIT_STATUS) {
    uint32_t rc = m_model.BeginWait(code, [reply](uint32_t error, std::span<const uint8_t> record) {
      reply->Complete(error, record);
    });
    if (rc != ERROR_CODE_IO_PENDING) reply->Complete(rc);
    return;
  }
  std::vector<uint8_t> out(reply->OutCapacity());
  uint32_t returned = 0;
  uint32_t rc = m_model.Control(code, in, out, &returned);
  reply->Complete(rc, std::span<const uint8_t>(out).first(returned));
}

}  // namespace kv::sim
