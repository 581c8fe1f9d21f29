#pragma once
// The driver's 24-byte information record (answer of GetDriverInfo): a NUL-terminated
// version text in the first 16 bytes and three words, the last being the panel firmware
// version. Bytes 16-17 are unused and kept as read.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>

namespace kv {

struct DriverInfoRecord {
  static constexpr size_t SIZE = 24;
  static constexpr size_t VERSION_TEXT_SIZE = 16;

  std::array<uint8_t, VERSION_TEXT_SIZE> m_aVersionText{};  // 0-15
  std::array<uint8_t, 2> m_aUnused16{};                     // 16-17
  uint16_t m_uInfoWord1 = 0;                                // 18
  uint16_t m_uInfoWord2 = 0;                                // 20
  uint16_t m_uFirmwareVersion = 0;                          // 22

  // The text up to its NUL, at most 15 characters even when the driver left no NUL.
  std::string VersionText() const;
  // Stores at most 15 characters and zero-fills the rest, so the text is always terminated.
  void SetVersionText(std::string_view text);

  std::array<uint8_t, SIZE> Encode() const;
  // False, *out untouched, unless bytes holds exactly SIZE bytes.
  static bool Decode(std::span<const uint8_t> bytes, DriverInfoRecord* out);

  bool operator==(const DriverInfoRecord&) const = default;
};

}  // namespace kv
