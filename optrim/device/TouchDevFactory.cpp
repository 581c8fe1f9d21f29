#include "optrim/device/TouchDevFactory.h"

#include "optrim/device/MQADev.h"
#include "optrim/device/MQADevKv.h"
#include "optrim/device/MQADevR410.h"
#include "optrim/device/MQBPDev.h"
#include "optrim/device/MQBV2Dev.h"
#include "optrim/device/PimloV2.h"

namespace kv {

std::unique_ptr<CTouchDevBase> CreateTouchDev(int type, HidBus& bus, Clock& clock,
                                              CBroadCaster* broadcaster) {
  switch (type) {
    case 1: return std::make_unique<CMQBV2Dev>(bus, clock, broadcaster);
    case 2: return std::make_unique<CMQBPDev>(bus, clock, broadcaster);
    case 3: return std::make_unique<CPimloV2>(bus, clock, broadcaster);
    case 4: return std::make_unique<CMQADev>(bus, clock, broadcaster);
    case 5: return std::make_unique<CMQADevR410>(bus, clock, broadcaster);
    case 6: return std::make_unique<CMQADevKv>(bus, clock, broadcaster);
    default: return nullptr;
  }
}

}  // namespace kv
