#pragma once
// Little-endian field access at explicit offsets. Records that cross a process or a device
// are always read and written through these, never by casting a struct. The callers check
// that offset + width lies inside the buffer; the Checked* forms do it themselves.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <span>

namespace kv {

inline uint16_t ReadU16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t ReadU32(const uint8_t* p) {
  return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
         (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
inline int16_t ReadI16(const uint8_t* p) { return static_cast<int16_t>(ReadU16(p)); }
inline int32_t ReadI32(const uint8_t* p) { return static_cast<int32_t>(ReadU32(p)); }
inline uint64_t ReadU64(const uint8_t* p) {
  return static_cast<uint64_t>(ReadU32(p)) | (static_cast<uint64_t>(ReadU32(p + 4)) << 32);
}
inline double ReadF64(const uint8_t* p) {
  uint64_t bits = ReadU64(p);
  double value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

inline void WriteU16(uint8_t* p, uint16_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void WriteU32(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
  p[2] = static_cast<uint8_t>(v >> 16);
  p[3] = static_cast<uint8_t>(v >> 24);
}
inline void WriteI16(uint8_t* p, int16_t v) { WriteU16(p, static_cast<uint16_t>(v)); }
inline void WriteI32(uint8_t* p, int32_t v) { WriteU32(p, static_cast<uint32_t>(v)); }
inline void WriteU64(uint8_t* p, uint64_t v) {
  WriteU32(p, static_cast<uint32_t>(v));
  WriteU32(p + 4, static_cast<uint32_t>(v >> 32));
}
inline void WriteF64(uint8_t* p, double v) {
  uint64_t bits;
  std::memcpy(&bits, &v, sizeof bits);
  WriteU64(p, bits);
}

// Bounds-checked reads for buffers that come from outside: false when the field does not
// lie wholly inside the buffer, and *out is then left untouched.
inline bool CheckedReadU16(std::span<const uint8_t> b, size_t off, uint16_t* out) {
  if (off > b.size() || b.size() - off < 2) return false;
  *out = ReadU16(b.data() + off);
  return true;
}
inline bool CheckedReadU32(std::span<const uint8_t> b, size_t off, uint32_t* out) {
  if (off > b.size() || b.size() - off < 4) return false;
  *out = ReadU32(b.data() + off);
  return true;
}

}  // namespace kv
