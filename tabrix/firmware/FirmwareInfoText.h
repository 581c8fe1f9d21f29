#pragma once
// The firmware information both service-mode dialogs show: the version text, the checksum
// verdict ("OK" in green, "NG" in red) and the checksum value. All empty when the firmware
// did not answer.
#include <cstdint>
#include <string>

#include "resources/StringTable.h"
#include "tabrix/firmware/ServiceModePort.h"

namespace kv {

inline constexpr uint32_t VERDICT_GREEN = 0x00FF00;  // RGB(0, 255, 0)
inline constexpr uint32_t VERDICT_RED = 0xFF0000;    // RGB(255, 0, 0)

struct FirmwareInfoText {
  static constexpr uint32_t TEXT_OK = 61210;
  static constexpr uint32_t TEXT_NG = 61211;
  static constexpr uint32_t TEXT_NONE = 57677;  // "---"

  bool m_bValid = false;
  bool m_bVerdictOk = false;
  std::string m_sVersion, m_sVerdict, m_sChecksum;

  uint32_t VerdictColour() const { return m_bVerdictOk ? VERDICT_GREEN : VERDICT_RED; }

  // Asks the firmware once (GetCheckSum) and formats what it said.
  static FirmwareInfoText Read(ServiceModePort& port, const CStringTable& strings);
  // v = 0: "---"; low byte 0 or blank: "%2X.%02X" of bytes 2 and 1; else the low byte
  // follows as a character.
  static std::string FormatVersion(uint32_t version, const CStringTable& strings);
};

}  // namespace kv
