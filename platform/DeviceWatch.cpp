#include "platform/DeviceWatch.h"

#include <cstdio>

namespace kv {

std::string DeviceWatch::InterfaceName(uint16_t vendorId, uint16_t productId,
                                       const std::string& instance) {
  char ids[32];
  std::snprintf(ids, sizeof ids, "VID_%04X&PID_%04X", vendorId, productId);
  return std::string("\\\\?\\HID#") + ids + "#" + instance + "#" + MOUSE_INTERFACE_CLASS;
}

}  // namespace kv
