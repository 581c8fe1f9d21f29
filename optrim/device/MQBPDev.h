#pragma once
// The MQBP sensor (model type 2): its constants and the common connect sequence.
#include "optrim/device/TouchDevBase.h"

namespace kv {

class CMQBPDev final : public CTouchDevBase {
 public:
  static constexpr int TYPE = 2;
  CMQBPDev(HidBus& bus, Clock& clock, CBroadCaster* broadcaster)
      : CTouchDevBase(*FindModelDescriptor(TYPE), bus, clock, broadcaster) {}
  int Connect() override { return ConnectCommon(); }
};

}  // namespace kv
