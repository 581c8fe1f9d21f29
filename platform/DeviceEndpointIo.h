#pragma once
// DeviceIo over device endpoints (platform/DeviceEndpoint.h): "\\.\NAME" is the endpoint at
// CPaths::DevicePath(NAME). Each handle owns one connection and a reader thread that routes
// answers to their calls by call id, so synchronous calls go on while an overlapped call is
// pending. A handle whose peer has gone (device unplugged, driver stopped) fails every
// pending and later call with ERROR_CODE_DEVICE_NOT_CONNECTED; a malformed answer fails its
// call with ERROR_CODE_INVALID_DATA.
#include <memory>
#include <string>

#include "platform/DeviceIo.h"
#include "platform/Paths.h"

namespace kv {

class CDeviceEndpointIo final : public DeviceIo {
 public:
  // callTimeoutMs bounds the open handshake and each synchronous call (< 0: no limit). The
  // driver completes those at once, so running into it means the peer is stuck; the call
  // then fails with ERROR_CODE_TIMEOUT.
  explicit CDeviceEndpointIo(const CPaths& paths, int callTimeoutMs = 5000);
  uint32_t Open(const std::string& windowsName, std::unique_ptr<DeviceHandle>* handle) override;

 private:
  CPaths m_paths;
  int m_iCallTimeoutMs;
};

}  // namespace kv
