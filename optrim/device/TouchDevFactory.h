#pragma once
// Picks the device class of a model type code (1..6) as the main dialog does.
#include <memory>

#include "optrim/device/TouchDevBase.h"

namespace kv {

// nullptr for an unknown type.
std::unique_ptr<CTouchDevBase> CreateTouchDev(int type, HidBus& bus, Clock& clock,
                                              CBroadCaster* broadcaster);

}  // namespace kv
