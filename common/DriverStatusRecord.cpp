#include "common/DriverStatusRecord.h"

#include <cstring>

#include "common/LittleEndian.h"

namespace kv {

std::array<uint8_t, DriverStatusRecord::SIZE> DriverStatusRecord::Encode() const {
  std::array<uint8_t, SIZE> b{};
  std::memcpy(&b[0], m_aDriverBytes0.data(), m_aDriverBytes0.size());
  WriteU32(&b[16], m_uFlags);
  std::memcpy(&b[20], m_aDriverBytes20.data(), m_aDriverBytes20.size());
  return b;
}

bool DriverStatusRecord::Decode(std::span<const uint8_t> bytes, DriverStatusRecord* out) {
  if (bytes.size() != SIZE) return false;
  DriverStatusRecord r;
  std::memcpy(r.m_aDriverBytes0.data(), bytes.data(), r.m_aDriverBytes0.size());
  r.m_uFlags = ReadU32(bytes.data() + 16);
  std::memcpy(r.m_aDriverBytes20.data(), bytes.data() + 20, r.m_aDriverBytes20.size());
  *out = r;
  return true;
}

}  // namespace kv
