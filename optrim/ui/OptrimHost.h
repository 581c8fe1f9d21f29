#pragma once
// The hidden main dialog as the other windows reach it: private messages posted to it.
#include <cstdint>

namespace kv {

enum MainDlgMessage : uint32_t {
  MAIN_MSG_OPEN_PANEL = 0x8066,   // wParam 7, the device: open the calibration panel
  MAIN_MSG_CLOSE_PANEL = 0x8067,  // wParam 7
  MAIN_MSG_END_PROGRAM = 0x8068,
  MAIN_MSG_END_DIALOG = 0x83E9,
};

// Notification codes the windows add to the device's own.
enum WindowNotify : uint32_t { NOTIFY_DEVICE_CLOSING = 1 };

class CTouchDevBase;

class OptrimHost {
 public:
  virtual ~OptrimHost() = default;
  // Delivered later on the user-interface thread, like a posted window message.
  virtual void PostToMain(uint32_t message, int wParam, CTouchDevBase* device) = 0;
};

}  // namespace kv
