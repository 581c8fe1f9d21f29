#include <cstdlib>
#include <cstring>

#include "platform/DeviceWatch.h"
#include "platform/HidBus.h"
#include "platform/posix/SimHidDeviceWatch.h"
#include "platform/posix/UdevDeviceWatch.h"
#include "platform/posix/HidapiBus.h"
#include "platform/posix/SimHidBus.h"

namespace kv {

std::unique_ptr<DeviceWatch> CreateDeviceWatch(const CPaths& paths) {
  const char* which = std::getenv("KV_HID");
  if (which && std::strcmp(which, "sim") == 0)
    return std::make_unique<CSimHidDeviceWatch>(paths.HidDir());
  return std::make_unique<CUdevDeviceWatch>();
}

std::unique_ptr<HidBus> CreateHidBus(const CPaths& paths) {
  const char* which = std::getenv("KV_HID");
  if (which && std::strcmp(which, "sim") == 0) return std::make_unique<CSimHidBus>(paths);
  return std::make_unique<CHidapiBus>();
}

}  // namespace kv
