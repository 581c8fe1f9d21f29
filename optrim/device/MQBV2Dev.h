#pragma once
// The MQB-V2 sensor (model type 1): its constants and the common connect sequence.
#include "optrim/device/TouchDevBase.h"

namespace kv {

class CMQBV2Dev final : public CTouchDevBase {
 public:
  static constexpr int TYPE = 1;
  CMQBV2Dev(HidBus& bus, Clock& clock, CBroadCaster* broadcaster)
      : CTouchDevBase(*FindModelDescriptor(TYPE), bus, clock, broadcaster) {}
  int Connect() override { return ConnectCommon(); }
};

}  // namespace kv
