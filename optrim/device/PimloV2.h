#pragma once
// The PML-CC sensor (model type 3): its constants and the common connect sequence.
#include "optrim/device/TouchDevBase.h"

namespace kv {

class CPimloV2 final : public CTouchDevBase {
 public:
  static constexpr int TYPE = 3;
  CPimloV2(HidBus& bus, Clock& clock, CBroadCaster* broadcaster)
      : CTouchDevBase(*FindModelDescriptor(TYPE), bus, clock, broadcaster) {}
  int Connect() override { return ConnectCommon(); }
};

}  // namespace kv
