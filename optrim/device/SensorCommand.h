#pragma once
// One 8-byte command record of the optical sensor: [0] code, [1] AddressByte, [2..7]
// payload, little-endian.
#include <array>
#include <cstdint>

#include "common/SensorCommands.h"

namespace kv {

using SensorCommand = std::array<uint8_t, 8>;

// Target index 0..2 is a camera (address target 1..3); 4 is the whole sensor (target 0).
constexpr uint8_t AddressByte(uint8_t index, uint8_t target, uint8_t sub) {
  const uint8_t t = target < 3 ? static_cast<uint8_t>(target + 1) : 0;
  return static_cast<uint8_t>(((index & 7) << 5) | ((sub & 3) << 3) | t);
}

constexpr uint8_t SENSOR_TARGET_WHOLE = 4;

}  // namespace kv
