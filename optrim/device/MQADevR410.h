#pragma once
// The MQAR410 sensor (model type 5): its constants and the common connect sequence.
#include "optrim/device/TouchDevBase.h"

namespace kv {

class CMQADevR410 final : public CTouchDevBase {
 public:
  static constexpr int TYPE = 5;
  CMQADevR410(HidBus& bus, Clock& clock, CBroadCaster* broadcaster)
      : CTouchDevBase(*FindModelDescriptor(TYPE), bus, clock, broadcaster) {}
  int Connect() override { return ConnectCommon(); }
};

}  // namespace kv
