#pragma once
// MessageBeep through the desktop's bell.
#include "platform/Beeper.h"

namespace kv {

class CQtBeeper final : public Beeper {
 public:
  void Beep(uint32_t type) override;
};

}  // namespace kv
