#pragma once
// One target of the Pen Software Link: the other pen program's window, found by class
// and/or window name, and the three messages posted to it for the pen's function button.
#include <cstdint>
#include <string>

namespace kv {

struct PenSoftwareLink {
  static constexpr uint32_t DEFAULT_MESSAGES[3] = {300, 301, 302};

  std::string m_sClassName;
  std::string m_sWindowName;
  uint32_t m_auMessages[3] = {DEFAULT_MESSAGES[0], DEFAULT_MESSAGES[1], DEFAULT_MESSAGES[2]};
  uint32_t m_bUseClass = 0;   // 1 when the class name was given in parentheses
  uint32_t m_bUseWindow = 0;  // 1 when the window name was given in parentheses
  uint64_t m_hWndLast = 0;    // the window handle found last, 0 = none yet
};

}  // namespace kv
