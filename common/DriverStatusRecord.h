#pragma once
// The driver's 24-byte status record (answer of WaitStatus): u32 status flags at 16. The
// other bytes are the driver's and are kept as read.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kv {

struct DriverStatusRecord {
  static constexpr size_t SIZE = 24;

  std::array<uint8_t, 16> m_aDriverBytes0{};  // 0-15
  uint32_t m_uFlags = 0;                      // 16
  std::array<uint8_t, 4> m_aDriverBytes20{};  // 20-23

  std::array<uint8_t, SIZE> Encode() const;
  // False, *out untouched, unless bytes holds exactly SIZE bytes.
  static bool Decode(std::span<const uint8_t> bytes, DriverStatusRecord* out);

  bool operator==(const DriverStatusRecord&) const = default;
};

}  // namespace kv
