#pragma once
// Sends one of the three Pen Software Link messages (index 0, 1 or 2) with its parameters
// to every configured pen program; the main window implements it. The firmware link calls
// it from its worker thread, so an implementation only posts and never waits for a window.
#include <cstdint>

namespace kv {

class PenSoftwareLinkSender {
 public:
  virtual ~PenSoftwareLinkSender() = default;
  // True when any target took the message; an index outside 0 to 2 sends nothing.
  virtual bool Send(uint32_t index, uint64_t wParam, uint64_t lParam) = 0;
};

}  // namespace kv
