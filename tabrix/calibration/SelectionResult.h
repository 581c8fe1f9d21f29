#pragma once
// What the calibration selection hands back after OK: a simple calibration (one of the
// screen-size presets) or an advanced one (the crosses, or for a sensor model the sensor
// tool with 4 or 25 points).
#include "tabrix/calibration/ScreenSizePreset.h"

namespace kv {

struct SelectionResult {
  static constexpr int KIND_SIMPLE = 0;
  static constexpr int KIND_ADVANCED = 1;

  int m_iKind = KIND_SIMPLE;
  ScreenSizePreset m_iPreset = PRESET_WIDE;
  int m_iAdvancedOption = 0;
};

}  // namespace kv
