#include "tabrix/calibration/PresetInstaller.h"

#include <cmath>
#include <cstdlib>
#include <sstream>
#include <vector>

#include "tabrix/calibration/CalibrationSettings.h"
#include "tabrix/calibration/CalibrationStore.h"
#include "tabrix/calibration/ScreenSizePreset.h"

namespace kv {
namespace {

constexpr size_t MODEL_NAME_MAX = 63;

bool IsDecimal(const std::string& s) {
  if (s.empty() || s.size() > 5) return false;
  for (char c : s)
    if (c < '0' || c > '9') return false;
  return true;
}

bool IsNumber(const std::string& s) {
  if (s.empty() || s.size() > 32) return false;
  char* end = nullptr;
  double v = std::strtod(s.c_str(), &end);
  return end && *end == '\0' && std::isfinite(v);
}

bool IsPresetName(const std::string& s) {
  for (int p = 0; p < PRESET_COUNT; ++p)
    if (s == PresetKeyName(p)) return true;
  return false;
}

bool IsModelName(const std::string& s) {
  if (s.empty() || s.size() > MODEL_NAME_MAX) return false;
  for (char c : s)
    if (c == '\\' || static_cast<unsigned char>(c) < 0x21) return false;
  return true;
}

}  // namespace

PresetInstallResult InstallPresetTable(Registry& registry, const std::string& text) {
  PresetInstallResult result;
  std::istringstream lines(text);
  std::string line;
  while (std::getline(lines, line)) {
    size_t hash = line.find('#');
    if (hash != std::string::npos) line.resize(hash);
    std::istringstream in(line);
    std::vector<std::string> f;
    std::string word;
    while (in >> word && f.size() < 8) f.push_back(word);
    if (f.empty()) continue;
    size_t sep = f.size() == 7 ? f[1].find('_') : std::string::npos;
    bool ok = f.size() == 7 && IsModelName(f[0]) && sep != std::string::npos &&
              IsDecimal(f[1].substr(0, sep)) && IsDecimal(f[1].substr(sep + 1)) &&
              IsPresetName(f[2]);
    for (size_t i = 3; ok && i < 7; ++i) ok = IsNumber(f[i]);
    if (!ok) {
      ++result.m_uRejected;
      continue;
    }
    const std::string key =
        std::string(CalibrationSettings::PRESET_KEY) + "\\" + f[0] + "\\" + f[1] + "\\" + f[2];
    const char* names[4] = {CCalibrationStore::RATIO_X, CCalibrationStore::RATIO_Y,
                            CCalibrationStore::OFFSET_X, CCalibrationStore::OFFSET_Y};
    uint32_t code = 0;
    for (int i = 0; i < 4 && code == 0; ++i)
      code = registry.SetString(RegistryHive::LOCAL_MACHINE, key, names[i], f[3 + i]);
    if (code != 0) {
      if (result.m_uError == 0) result.m_uError = code;
      continue;
    }
    ++result.m_uInstalled;
  }
  return result;
}

}  // namespace kv
