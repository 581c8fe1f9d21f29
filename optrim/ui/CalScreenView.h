#pragma once
// What the calibration screen's logic asks of its window: redraw what changed, deliver a
// message to the screen later (a posted window message), ask which keys were pressed,
// and close.
#include <cstdint>

namespace kv {

enum ScreenKey { SCREEN_KEY_ENTER, SCREEN_KEY_Y, SCREEN_KEY_R, SCREEN_KEY_ESC, SCREEN_KEY_DELETE };

// Private messages the screen posts to itself.
enum CalScreenMessage : uint32_t {
  CAL_MSG_COMMAND = 0x83E9,        // wParam: a PanelCommand
  CAL_MSG_ACCEPT = 0x83EA,
  CAL_MSG_ALL_COLLECTED = 0x83EC,
};

class CalScreenView {
 public:
  virtual ~CalScreenView() = default;
  // The marks, marker, panel or cursor changed.
  virtual void Changed() = 0;
  virtual void PostToScreen(uint32_t message, int wParam) = 0;
  // True when the key is down now or was pressed since the last call for it; the call
  // forgets the press.
  virtual bool TakeKey(ScreenKey key) = 0;
  // The logic has closed; the window goes away.
  virtual void CloseWindow() = 0;
};

}  // namespace kv
