#include "optrim/device/CalibrationGenSettings.h"

namespace kv {
namespace {

// The key exists and has a value (the string read), then its integer (the int read).
bool ReadKey(const CIniFile& ini, const char* key, int32_t* value) {
  if (ini.GetString(kCalibrationSection, key, std::string()).empty()) return false;
  *value = ini.GetInt(kCalibrationSection, key, 0);
  return true;
}

void TakeMargin(const CIniFile& ini, const char* key, int16_t* field) {
  int32_t v = 0;
  if (ReadKey(ini, key, &v) && v >= kMinMargin && v <= kMaxMargin) *field = static_cast<int16_t>(v);
}

void TakeSize(const CIniFile& ini, const char* key, uint8_t* field) {
  int32_t v = 0;
  if (ReadKey(ini, key, &v) && v >= kMinPreciseSize && v <= kMaxPreciseSize) *field = static_cast<uint8_t>(v);
}

}  // namespace

CalibrationGenSettings DefaultCalibrationGenSettings(uint8_t preciseSize, int16_t margin) {
  CalibrationGenSettings s;
  s.enableAngle = 1;
  s.preciseNx = preciseSize;
  s.preciseNy = preciseSize;
  s.basicNx = 1;
  s.basicNy = 1;
  s.marginX0 = s.marginY0 = s.marginX1 = s.marginY1 = margin;
  return s;
}

void LoadCalibrationSettings(const CIniFile& ini, CalibrationGenSettings* settings) {
  int32_t v = 0;
  if (ReadKey(ini, "enableAngle", &v)) settings->enableAngle = v != 0 ? 1 : 0;
  TakeMargin(ini, "marginX0", &settings->marginX0);
  TakeMargin(ini, "marginX1", &settings->marginX1);
  TakeMargin(ini, "marginY0", &settings->marginY0);
  TakeMargin(ini, "marginY1", &settings->marginY1);
  TakeSize(ini, "preciseNx", &settings->preciseNx);
  TakeSize(ini, "preciseNy", &settings->preciseNy);
}

bool LoadCalibrationSettings(const std::string& path, CalibrationGenSettings* settings) {
  CIniFile ini = CIniFile::Load(path);
  if (!ini.Exists()) return false;
  LoadCalibrationSettings(ini, settings);
  return true;
}

}  // namespace kv
