#pragma once
// The calibration layout one connected sensor uses: whether the angle fit runs, the size of
// the precise grid and the screen margins of the marks. The device resets it to the model's
// defaults at connect and then takes what the settings file provides.
#include <cstdint>
#include <string>

#include "platform/IniFile.h"

namespace kv {

struct CalibrationGenSettings {
  uint8_t enableAngle = 1;
  uint8_t preciseNx = 4;
  uint8_t preciseNy = 4;
  uint8_t basicNx = 1;  // never taken from the file
  uint8_t basicNy = 1;
  int16_t marginX0 = 2185;  // normalised screen units: left, top, right, bottom
  int16_t marginY0 = 2185;
  int16_t marginX1 = 2185;
  int16_t marginY1 = 2185;
  bool operator==(const CalibrationGenSettings&) const = default;
};

inline constexpr const char* kCalibrationSection = "CALIBRATION_DATA_GEN";
inline constexpr int32_t kMinMargin = 655;
inline constexpr int32_t kMaxMargin = 30000;
inline constexpr int32_t kMinPreciseSize = 1;
inline constexpr int32_t kMaxPreciseSize = 9;

// The record at connect: angle fit on, the model's precise size, basic 1 by 1, the model's
// margin on all four sides.
CalibrationGenSettings DefaultCalibrationGenSettings(uint8_t preciseSize, int16_t margin);

// Overwrites the fields the file provides with a value in range; a missing or empty key or a
// value out of range keeps the field. False (and nothing changed) when the file cannot be
// read. No error is reported otherwise.
bool LoadCalibrationSettings(const std::string& path, CalibrationGenSettings* settings);
void LoadCalibrationSettings(const CIniFile& ini, CalibrationGenSettings* settings);

}  // namespace kv
