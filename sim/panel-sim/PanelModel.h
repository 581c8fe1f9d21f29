#pragma once
// The panels panel-sim can stand in for, described as data: USB identity and collection,
// report lengths, strings, the sensor board layout the self test reports, and the values
// the firmware answers with until the control channel changes them.
#include <array>
#include <cstdint>
#include <string>

namespace kv {

struct PanelModel {
  const char* m_pszName;
  uint16_t m_uVendorId;
  uint16_t m_uProductId;
  unsigned m_uCollection;        // the "colNN" of the device path
  uint16_t m_uVersionNumber;     // HID attributes
  uint16_t m_uInputLength;       // report byte lengths, report id included
  uint16_t m_uOutputLength;
  const char* m_pszProduct;
  // Sensors per board, in board order, ended by 0 (at most 32 boards).
  std::array<uint8_t, 33> m_sensors;
  uint8_t m_uDipSwitch;          // raw DIP byte as the panel reports it
  uint16_t m_uCheckSum;
  uint8_t m_uCheckSumFlag;       // 0 = checksum good
  uint32_t m_uFirmwareVersion;   // 24 bits
  std::array<uint16_t, 4> m_devicePosition;
  std::array<uint16_t, 4> m_screenPosition;
};

// nullptr when the name is not a built-in model (case-insensitive).
const PanelModel* FindPanelModel(const std::string& name);
const PanelModel& DefaultPanelModel();

}  // namespace kv
