#pragma once
// What the service-mode dialogs ask of the panel firmware: the checksum with its verdict and
// the firmware version, and the self-test records. The firmware link answers through
// CFirmwareServicePort; tests hand in their own.
#include <array>
#include <cstdint>
#include <vector>

namespace kv {

using CheckRecord = std::array<uint8_t, 10>;

class ServiceModePort {
 public:
  virtual ~ServiceModePort() = default;
  virtual bool GetCheckSum(uint32_t* checksum, uint32_t* flag, uint32_t* version) = 0;
  virtual bool GetCheckData(std::vector<CheckRecord>* records) = 0;
};

}  // namespace kv
