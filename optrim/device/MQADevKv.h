#pragma once
// The MQA-KV sensor (model type 6): its constants and the common connect sequence.
#include "optrim/device/TouchDevBase.h"

namespace kv {

class CMQADevKv final : public CTouchDevBase {
 public:
  static constexpr int TYPE = 6;
  CMQADevKv(HidBus& bus, Clock& clock, CBroadCaster* broadcaster)
      : CTouchDevBase(*FindModelDescriptor(TYPE), bus, clock, broadcaster) {}
  int Connect() override { return ConnectCommon(); }
};

}  // namespace kv
