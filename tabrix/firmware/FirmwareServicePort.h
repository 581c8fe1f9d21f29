#pragma once
// The service-mode dialogs' port over the application's firmware link (which may not exist
// yet: then every request fails).
#include "tabrix/firmware/ServiceModePort.h"
#include "tabrix/firmware/TPdrvServiceMode.h"

namespace kv {

class CFirmwareServicePort final : public ServiceModePort {
 public:
  explicit CFirmwareServicePort(CTPdrvServiceMode* firmware) : m_pFirmware(firmware) {}
  bool GetCheckSum(uint32_t* checksum, uint32_t* flag, uint32_t* version) override {
    return m_pFirmware && m_pFirmware->GetCheckSum(checksum, flag, version);
  }
  bool GetCheckData(std::vector<CheckRecord>* records) override {
    return m_pFirmware && m_pFirmware->GetCheckData(records);
  }

 private:
  CTPdrvServiceMode* m_pFirmware;
};

}  // namespace kv
