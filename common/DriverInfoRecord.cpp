#include "common/DriverInfoRecord.h"

#include <algorithm>
#include <cstring>

#include "common/LittleEndian.h"

namespace kv {

std::string DriverInfoRecord::VersionText() const {
  size_t n = 0;
  while (n < VERSION_TEXT_SIZE - 1 && m_aVersionText[n] != 0) ++n;
  return std::string(reinterpret_cast<const char*>(m_aVersionText.data()), n);
}

void DriverInfoRecord::SetVersionText(std::string_view text) {
  m_aVersionText.fill(0);
  const size_t n = std::min(text.size(), VERSION_TEXT_SIZE - 1);
  std::memcpy(m_aVersionText.data(), text.data(), n);
}

std::array<uint8_t, DriverInfoRecord::SIZE> DriverInfoRecord::Encode() const {
  std::array<uint8_t, SIZE> b{};
  std::memcpy(&b[0], m_aVersionText.data(), m_aVersionText.size());
  std::memcpy(&b[16], m_aUnused16.data(), m_aUnused16.size());
  WriteU16(&b[18], m_uInfoWord1);
  WriteU16(&b[20], m_uInfoWord2);
  WriteU16(&b[22], m_uFirmwareVersion);
  return b;
}

bool DriverInfoRecord::Decode(std::span<const uint8_t> bytes, DriverInfoRecord* out) {
  if (bytes.size() != SIZE) return false;
  DriverInfoRecord r;
  std::memcpy(r.m_aVersionText.data(), bytes.data(), r.m_aVersionText.size());
  std::memcpy(r.m_aUnused16.data(), bytes.data() + 16, r.m_aUnused16.size());
  r.m_uInfoWord1 = ReadU16(bytes.data() + 18);
  r.m_uInfoWord2 = ReadU16(bytes.data() + 20);
  r.m_uFirmwareVersion = ReadU16(bytes.data() + 22);
  *out = r;
  return true;
}

}  // namespace kv
