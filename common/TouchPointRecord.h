#pragma once
// The driver's 24-byte record of the last raw touch point. X and Y run 0..65535 across the
// screen; -1 marks a point already taken. Bytes 8-23 are the driver's and are kept as read.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kv {

struct TouchPointRecord {
  static constexpr size_t SIZE = 24;
  static constexpr int32_t TAKEN = -1;

  int32_t m_iX = 0;                          // 0
  int32_t m_iY = 0;                          // 4
  std::array<uint8_t, 16> m_aDriverBytes{};  // 8-23

  std::array<uint8_t, SIZE> Encode() const;
  // False, *out untouched, unless bytes holds exactly SIZE bytes.
  static bool Decode(std::span<const uint8_t> bytes, TouchPointRecord* out);

  bool operator==(const TouchPointRecord&) const = default;
};

}  // namespace kv
