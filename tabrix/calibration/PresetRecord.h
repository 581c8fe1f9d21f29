#pragma once
// The stored presets of one resolution: a block per preset (WIDE, NORMAL, DOT_BY_DOT).
#include <cstdint>

#include "tabrix/calibration/ScreenSizePreset.h"
#include "tabrix/driverlink/CalibrationBlock.h"

namespace kv {

struct PresetRecord {
  int32_t m_iWidth = 0;
  int32_t m_iHeight = 0;
  CalibrationBlock m_aBlock[PRESET_COUNT];

  bool AnyValid() const {
    for (const CalibrationBlock& b : m_aBlock)
      if (b.m_uValid == 1) return true;
    return false;
  }
};

}  // namespace kv
