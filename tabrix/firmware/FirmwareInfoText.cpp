#include "tabrix/firmware/FirmwareInfoText.h"

#include <cstdio>

namespace kv {

std::string FirmwareInfoText::FormatVersion(uint32_t version, const CStringTable& strings) {
  if (version == 0) return strings.Get(TEXT_NONE);
  const unsigned major = (version >> 16) & 0xFF, minor = (version >> 8) & 0xFF;
  unsigned letter = version & 0xFF;
  // The letter comes from the panel: a control or non-ASCII byte would garble the field.
  if (letter != 0 && (letter < 0x20 || letter > 0x7E)) letter = '?';
  char text[16];
  if (letter == 0 || letter == ' ')
    std::snprintf(text, sizeof text, "%2X.%02X", major, minor);
  else
    std::snprintf(text, sizeof text, "%2X.%02X%c", major, minor, static_cast<char>(letter));
  return text;
}

FirmwareInfoText FirmwareInfoText::Read(ServiceModePort& port, const CStringTable& strings) {
  FirmwareInfoText info;
  uint32_t checksum = 0, flag = 0, version = 0;
  if (!port.GetCheckSum(&checksum, &flag, &version)) return info;
  info.m_bValid = true;
  info.m_sVersion = FormatVersion(version, strings);
  info.m_bVerdictOk = flag == 1;
  info.m_sVerdict = strings.Get(info.m_bVerdictOk ? TEXT_OK : TEXT_NG);
  char text[16];
  std::snprintf(text, sizeof text, "%04x", checksum & 0xFFFFu);
  info.m_sChecksum = text;
  return info;
}

}  // namespace kv
