#pragma once
// Where the operation page sends what it stores: the function buttons and the input and
// touch mode (panel firmware, then the driver) and the eraser-area detection. The
// application's senders implement it (CShellPenSettingsSender); tests record the calls.
#include <cstdint>

namespace kv {

class PenSettingsSender {
 public:
  virtual ~PenSettingsSender() = default;
  virtual bool SendFunctionButtons(uint32_t penButon) = 0;
  virtual bool SendInputAndTouchMode(uint32_t inputMode) = 0;
  virtual bool SendRegionDetection(uint32_t value) = 0;
};

}  // namespace kv
