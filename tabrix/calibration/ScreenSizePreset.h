#pragma once
// The screen-size preset: which of a resolution's stored presets is in force; NONE when the
// user's own or an advanced calibration is.
#include <cstdint>

namespace kv {

using ScreenSizePreset = int32_t;
inline constexpr ScreenSizePreset PRESET_NONE = -1;
inline constexpr ScreenSizePreset PRESET_WIDE = 0;
inline constexpr ScreenSizePreset PRESET_NORMAL = 1;
inline constexpr ScreenSizePreset PRESET_DOT_BY_DOT = 2;
inline constexpr int PRESET_COUNT = 3;

// The registry subkey of a preset ("WIDE", "NORMAL", "DOT_BY_DOT"); null for others.
inline const char* PresetKeyName(int preset) {
  static const char* const kNames[PRESET_COUNT] = {"WIDE", "NORMAL", "DOT_BY_DOT"};
  return preset >= 0 && preset < PRESET_COUNT ? kNames[preset] : nullptr;
}

}  // namespace kv
