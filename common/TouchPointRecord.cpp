#include "common/TouchPointRecord.h"

#include <cstring>

#include "common/LittleEndian.h"

namespace kv {

std::array<uint8_t, TouchPointRecord::SIZE> TouchPointRecord::Encode() const {
  std::array<uint8_t, SIZE> b{};
  WriteI32(&b[0], m_iX);
  WriteI32(&b[4], m_iY);
  std::memcpy(&b[8], m_aDriverBytes.data(), m_aDriverBytes.size());
  return b;
}

bool TouchPointRecord::Decode(std::span<const uint8_t> bytes, TouchPointRecord* out) {
  if (bytes.size() != SIZE) return false;
  TouchPointRecord r;
  r.m_iX = ReadI32(bytes.data());
  r.m_iY = ReadI32(bytes.data() + 4);
  std::memcpy(r.m_aDriverBytes.data(), bytes.data() + 8, r.m_aDriverBytes.size());
  *out = r;
  return true;
}

}  // namespace kv
