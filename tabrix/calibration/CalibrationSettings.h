#pragma once
// What the calibration store needs of the program's settings: the current model's keys,
// the screen-size preset and the detail resolution, and plain texts under a key. The
// settings store of the application implements it; the calibration layer stays below the
// application shell.
#include <cstdint>
#include <string>
#include <utility>

namespace kv {

class CalibrationSettings {
 public:
  // The machine-wide key under which the installed presets live, one subkey per model.
  static constexpr const char* PRESET_KEY = "SOFTWARE\\KAVRO\\Corvane\\PresetHWD";

  virtual ~CalibrationSettings() = default;
  // The current model's registry subkey (with its leading backslash), and its full key.
  virtual std::string ModelSubkey() const = 0;
  virtual std::string ModelKey() const = 0;
  virtual std::string ReadString(const std::string& key, const std::string& name,
                                 const std::string& defaultValue) = 0;
  virtual void WriteString(const std::string& key, const std::string& name,
                           const std::string& value) = 0;
  // "OSDmode": the screen-size preset, -1 = none.
  virtual int32_t GetOsdMode() = 0;
  virtual void SetOsdMode(int32_t preset) = 0;
  // ("DetailResolutionX", "DetailResolutionY"), the current screen size by default.
  virtual std::pair<uint32_t, uint32_t> GetResolution(uint32_t screenWidth,
                                                      uint32_t screenHeight) = 0;
  virtual void SetResolution(uint32_t width, uint32_t height) = 0;
};

}  // namespace kv
