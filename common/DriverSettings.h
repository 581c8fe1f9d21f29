#pragma once
// The driver's 36-byte settings record, as GetSettings returns it and SetSettings takes it.
// Bytes 6-7 and 32-35 belong to the driver; they are kept as read so that a read-merge-write
// hands them back untouched.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

namespace kv {

struct DriverSettings {
  static constexpr size_t SIZE = 36;

  uint8_t m_uInputEnable = 0;        // 0: input enable (0 or 1)
  uint8_t m_uCalibrationSwitch = 0;  // 1: driver calibration off (0) / on (1)
  uint16_t m_uScreenWidth = 0;       // 2: pixels used for calibration
  uint16_t m_uScreenHeight = 0;      // 4
  std::array<uint8_t, 2> m_aDriverBytes6{};  // 6-7
  int32_t m_iRatioX = 0;             // 8: ratio X x 1000
  int32_t m_iOffsetX = 0;            // 12
  int32_t m_iRatioY = 0;             // 16: ratio Y x 1000
  int32_t m_iOffsetY = 0;            // 20
  uint16_t m_uRotation = 0;          // 24: degrees
  uint16_t m_uPenButtonMode = 0;     // 26
  uint16_t m_uPanelStateCode = 0;    // 28
  uint16_t m_uPanelStateFlag = 0;    // 30
  std::array<uint8_t, 4> m_aDriverBytes32{};  // 32-35

  std::array<uint8_t, SIZE> Encode() const;
  // False, *out untouched, unless bytes holds exactly SIZE bytes.
  static bool Decode(std::span<const uint8_t> bytes, DriverSettings* out);

  bool operator==(const DriverSettings&) const = default;
};

}  // namespace kv
