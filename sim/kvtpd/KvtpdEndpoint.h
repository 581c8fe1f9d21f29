#pragma once
// Puts the stand-in's model behind a device endpoint: calls arriving on the endpoint go to
// the model, a status wait keeps its reply until the model completes it, and unplugging
// takes the whole endpoint away (opens then find no device) until the device is plugged in
// again.
#include <memory>
#include <mutex>
#include <string>

#include "sim/DeviceEndpointServer.h"
#include "platform/Paths.h"
#include "sim/kvtpd/KvtpdModel.h"

namespace kv::sim {

class CKvtpdEndpoint final : public CDeviceEndpointServer::Handler {
 public:
  CKvtpdEndpoint(const CPaths& paths, const std::string& deviceName, CKvtpdModel& model);
  ~CKvtpdEndpoint() override;

  uint32_t Start();
  void Stop();
  // Control channel: unplug / plug.
  void Unplug();
  void Plug();

  void OnOpen() override;
  void OnRequest(uint32_t code, std::span<const uint8_t> in,
                 std::shared_ptr<CDeviceEndpointServer::Reply> reply) override;
  void OnClose() override;

 private:
  CKvtpdModel& m_model;
  std::mutex m_mutex;  // plug state against start/stop
  bool m_bServing = false;
  CDeviceEndpointServer m_server;
};

}  // namespace kv::sim
