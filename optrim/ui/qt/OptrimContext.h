#pragma once
// What every window of the sensor tool shares for the run, handed down from the
// application object.
#include <functional>
#include <string>

#include "optrim/device/BroadCaster.h"
#include "optrim/ui/MessageBoxHost.h"
#include "platform/Clock.h"
#include "platform/HidBus.h"
#include "resources/StringTable.h"

namespace kv {

struct OptrimContext {
  const CStringTable& strings;
  Clock& clock;
  HidBus& bus;
  CBroadCaster& broadcaster;
  MessageBoxHost& boxes;
  std::string startSwitch;
  int rotation = 0;
  std::string settingsPath;
  std::string failureCaption;
  std::function<void(const std::string&)> trace;
};

}  // namespace kv
