#pragma once
// Device arrival and removal (WM_DEVICECHANGE for a device-interface class). The names
// are written like Windows interface paths of the mouse interface class,
// "\\?\HID#VID_2F11&PID_5A01&COL01#<instance>#{378DE44C-56EF-11D1-BC8C-00A0C91405DD}",
// so that the matching rules of the callers run unchanged. The watch is polled on the
// user-interface thread: its descriptor becomes readable when events wait.
#include <memory>
#include <string>
#include <vector>

#include "platform/Paths.h"

namespace kv {

inline constexpr const char* MOUSE_INTERFACE_CLASS = "{378DE44C-56EF-11D1-BC8C-00A0C91405DD}";

struct DeviceEvent {
  bool m_bArrival = false;
  std::string m_sInterfaceName;
};

class DeviceWatch {
 public:
  virtual ~DeviceWatch() = default;
  // -1 when the watch could not be set up (then no events come).
  virtual int Descriptor() const = 0;
  // The events that arrived since the last call, oldest first; never blocks.
  virtual std::vector<DeviceEvent> ReadEvents() = 0;

  // "\\?\HID#VID_%04X&PID_%04X#<instance>#{class}" of a device.
  static std::string InterfaceName(uint16_t vendorId, uint16_t productId,
                                   const std::string& instance);
};

// The watch of the devices the HID bus of the environment sees (KV_HID=sim: the simulated
// bus folder; otherwise the system's hidraw devices through udev).
std::unique_ptr<DeviceWatch> CreateDeviceWatch(const CPaths& paths);

}  // namespace kv
