#pragma once
// The calibration block the sensor stores: angle adjustment, precise distortion table and
// basic mapping table, in this order. The device layer downloads and uploads it; the
// calibration computation fills it. Tables have fixed room (10 by 10 precise, 5 by 5 basic
// nodes); only the (rows + 1) by (columns + 1) nodes the sizes name are meaningful.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

namespace kv {

// One sensor coordinate pair as the sensor's tables hold it.
struct DevPoint {
  int16_t x = 0;
  int16_t y = 0;
  bool operator==(const DevPoint&) const = default;
};

// Screen margins in normalised units (0..65535 across the display): left, top, right, bottom.
struct CalMargins {
  int16_t x0 = 0;
  int16_t y0 = 0;
  int16_t x1 = 0;
  int16_t y1 = 0;
  bool operator==(const CalMargins&) const = default;
};

inline constexpr int kPreciseStride = 10;  // nodes between two rows of the precise table
inline constexpr int kBasicStride = 5;     // nodes between two rows of the basic table
inline constexpr int kMaxPreciseCells = 9;
inline constexpr int kMaxBasicCells = 4;
// The angle deltas are stored as s16 fixed point with this factor.
inline constexpr double kAngleFactor = 16384.0;

struct CalAngleParam {
  uint8_t bAngleEnb = 0;
  int16_t deltaL = 0;  // dDeltaL * 16384
  int16_t deltaR = 0;
  int16_t deltaD = 0;
  bool operator==(const CalAngleParam&) const = default;
};

struct CalPreciseParam {
  uint8_t nx1 = 0;  // columns
  uint8_t ny1 = 0;  // rows
  std::array<DevPoint, kPreciseStride * kPreciseStride> devTbl{};  // (row, column) at row * 10 + column
  DevPoint& At(int row, int column) { return devTbl[static_cast<size_t>(row * kPreciseStride + column)]; }
  const DevPoint& At(int row, int column) const {
    return devTbl[static_cast<size_t>(row * kPreciseStride + column)];
  }
  bool operator==(const CalPreciseParam&) const = default;
};

struct CalBasicParam {
  DevPoint devMin;  // sensor coordinates of the first node
  DevPoint devMax;  // and of the last
  uint8_t nx2 = 0;
  uint8_t ny2 = 0;
  // Normalised screen coordinates, stored as their low 16 bits.
  std::array<DevPoint, kBasicStride * kBasicStride> hiTbl{};
  DevPoint& At(int row, int column) { return hiTbl[static_cast<size_t>(row * kBasicStride + column)]; }
  const DevPoint& At(int row, int column) const {
    return hiTbl[static_cast<size_t>(row * kBasicStride + column)];
  }
  bool operator==(const CalBasicParam&) const = default;
};

struct SensorCalBlock {
  CalAngleParam angle;
  CalPreciseParam precise;
  CalBasicParam basic;
  bool operator==(const SensorCalBlock&) const = default;
};

// Packed little-endian form: enable (1), three deltas (2 each); nx1, ny1 (1 each), 100
// nodes (x, y: 2 each); devMin, devMax (x, y: 2 each), nx2, ny2 (1 each), 25 nodes.
inline constexpr size_t kSensorCalBlockBytes = 7 + 2 + 100 * 4 + 8 + 2 + 25 * 4;

void PackSensorCalBlock(const SensorCalBlock& block, std::span<uint8_t, kSensorCalBlockBytes> out);
// False (and *block untouched) unless the buffer holds exactly one packed block.
bool UnpackSensorCalBlock(std::span<const uint8_t> in, SensorCalBlock* block);

// The packed block as upper-case hexadecimal, two digits a byte, and back; the reader takes
// either case and accepts nothing but exactly kSensorCalBlockBytes bytes of digits.
std::string SensorCalBlockToHex(const SensorCalBlock& block);
bool SensorCalBlockFromHex(std::string_view hex, SensorCalBlock* block);

}  // namespace kv
