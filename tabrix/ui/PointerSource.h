#pragma once
// Where the mouse is and which of its buttons are down (GetCursorPos and GetKeyState of the
// three buttons). The desktop view supplies it; tests hand in their own.
#include <cstdint>

namespace kv {

struct PointerSample {
  int32_t m_iX = 0, m_iY = 0;
  bool m_bLeft = false, m_bRight = false, m_bMiddle = false;
};

class PointerSource {
 public:
  virtual ~PointerSource() = default;
  virtual PointerSample Sample() = 0;
};

}  // namespace kv
