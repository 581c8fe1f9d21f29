#pragma once
// The service-mode dialog of firmware-managed models (dialog 260): which part of the panel
// answers (the touch panel for type 3, the button unit for type 4), the firmware version
// and, for type 4, the checksum verdict and value. Empty when the firmware did not answer.
#include <cstdint>
#include <string>

#include "resources/StringTable.h"
#include "tabrix/firmware/FirmwareInfoText.h"
#include "tabrix/firmware/ServiceModePort.h"

namespace kv {

class CServiceMode2Dlg {
 public:
  static constexpr uint32_t DIALOG_ID = 260;
  static constexpr uint32_t TEXT_TOUCH_PANEL = 61212;
  static constexpr uint32_t TEXT_BUTTON = 61213;

  CServiceMode2Dlg(ServiceModePort& port, const CStringTable& strings, uint32_t modelType)
      : m_port(port), m_strings(strings), m_uModelType(modelType) {}

  void OnInitDialog();

  const std::string& Usb() const { return m_sUsb; }
  const std::string& Version() const { return m_sVersion; }
  const std::string& Verdict() const { return m_sVerdict; }
  const std::string& Checksum() const { return m_sChecksum; }
  // Only a type 4 verdict is coloured.
  bool VerdictColoured() const { return m_bColoured; }
  uint32_t VerdictColour() const { return m_info.VerdictColour(); }

 private:
  ServiceModePort& m_port;
  const CStringTable& m_strings;
  uint32_t m_uModelType;
  FirmwareInfoText m_info;
  std::string m_sUsb, m_sVersion, m_sVerdict, m_sChecksum;
  bool m_bColoured = false;
};

}  // namespace kv
