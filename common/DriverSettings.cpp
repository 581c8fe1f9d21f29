#include "common/DriverSettings.h"

#include <cstring>

#include "common/LittleEndian.h"

namespace kv {

std::array<uint8_t, DriverSettings::SIZE> DriverSettings::Encode() const {
  std::array<uint8_t, SIZE> b{};
  b[0] = m_uInputEnable;
  b[1] = m_uCalibrationSwitch;
  WriteU16(&b[2], m_uScreenWidth);
  WriteU16(&b[4], m_uScreenHeight);
  std::memcpy(&b[6], m_aDriverBytes6.data(), m_aDriverBytes6.size());
  WriteI32(&b[8], m_iRatioX);
  WriteI32(&b[12], m_iOffsetX);
  WriteI32(&b[16], m_iRatioY);
  WriteI32(&b[20], m_iOffsetY);
  WriteU16(&b[24], m_uRotation);
  WriteU16(&b[26], m_uPenButtonMode);
  WriteU16(&b[28], m_uPanelStateCode);
  WriteU16(&b[30], m_uPanelStateFlag);
  std::memcpy(&b[32], m_aDriverBytes32.data(), m_aDriverBytes32.size());
  return b;
}

bool DriverSettings::Decode(std::span<const uint8_t> bytes, DriverSettings* out) {
  if (bytes.size() != SIZE) return false;
  const uint8_t* b = bytes.data();
  DriverSettings s;
  s.m_uInputEnable = b[0];
  s.m_uCalibrationSwitch = b[1];
  s.m_uScreenWidth = ReadU16(b + 2);
  s.m_uScreenHeight = ReadU16(b + 4);
  std::memcpy(s.m_aDriverBytes6.data(), b + 6, s.m_aDriverBytes6.size());
  s.m_iRatioX = ReadI32(b + 8);
  s.m_iOffsetX = ReadI32(b + 12);
  s.m_iRatioY = ReadI32(b + 16);
  s.m_iOffsetY = ReadI32(b + 20);
  s.m_uRotation = ReadU16(b + 24);
  s.m_uPenButtonMode = ReadU16(b + 26);
  s.m_uPanelStateCode = ReadU16(b + 28);
  s.m_uPanelStateFlag = ReadU16(b + 30);
  std::memcpy(s.m_aDriverBytes32.data(), b + 32, s.m_aDriverBytes32.size());
  *out = s;
  return true;
}

}  // namespace kv
