#pragma once
// The label a preset hot key shows for 500 ms: the preset's name, white on navy, centred
// on the screen, 70 % opaque.
#include <cstdint>
#include <string>

#include "resources/StringTable.h"

namespace kv {

class CCalibAutoSetDlg {
 public:
  static constexpr uint32_t CLOSE_TIMER_ID = 5125;
  static constexpr uint32_t DURATION_MS = 500;
  static constexpr uint32_t NAME_IDS[3] = {57703, 57704, 57705};  // WIDE, NORMAL, Dot by Dot

  // The preset's name; "" for a preset that is none of the three.
  static std::string Text(const CStringTable& strings, int preset) {
    return (preset >= 0 && preset < 3) ? strings.Get(NAME_IDS[preset]) : std::string();
  }
};

}  // namespace kv
