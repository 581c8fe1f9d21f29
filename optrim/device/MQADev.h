#pragma once
// The MQA sensor (model type 4): its constants and the common connect sequence.
#include "optrim/device/TouchDevBase.h"

namespace kv {

class CMQADev final : public CTouchDevBase {
 public:
  static constexpr int TYPE = 4;
  CMQADev(HidBus& bus, Clock& clock, CBroadCaster* broadcaster)
      : CTouchDevBase(*FindModelDescriptor(TYPE), bus, clock, broadcaster) {}
  int Connect() override { return ConnectCommon(); }
};

}  // namespace kv
