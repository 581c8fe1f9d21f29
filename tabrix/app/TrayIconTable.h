#pragma once
// Which picture the tray icon shows: driver off, on, on and rotated, or testing; in the
// single-touch, dual-touch or Windows 2000 set.
#include <cstdint>

namespace kv {

struct TrayIconState {
  bool m_bDriverOn = false;
  bool m_bDual = false;      // the touch mode kept by the application is not 0
  bool m_bWin2000 = false;   // Windows 5.0 has its own set
  bool m_bRotated = false;   // rotation not 0
  bool m_bTesting = false;   // a test runs in the test display
};

class CTrayIconTable {
 public:
  static constexpr uint32_t FIRST_ADD_ICON = 128;

  static uint32_t IconFor(const TrayIconState& s) {
    // Rows: off, on, on rotated, on testing; columns: single, dual, Windows 2000.
    static constexpr uint32_t kIcons[4][3] = {
        {189, 257, 230}, {128, 256, 227}, {193, 258, 233}, {209, 259, 235}};
    const int row = !s.m_bDriverOn ? 0 : s.m_bTesting ? 3 : s.m_bRotated ? 2 : 1;
    const int column = s.m_bWin2000 ? 2 : s.m_bDual ? 1 : 0;
    return kIcons[row][column];
  }
};

}  // namespace kv
