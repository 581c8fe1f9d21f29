#include "platform/posix/UdevDeviceWatch.h"

#include <cstdlib>
#include <cstring>

namespace kv {

CUdevDeviceWatch::CUdevDeviceWatch() {
  m_pUdev = udev_new();
  if (!m_pUdev) return;
  m_pMonitor = udev_monitor_new_from_netlink(m_pUdev, "udev");
  if (!m_pMonitor || udev_monitor_filter_add_match_subsystem_devtype(m_pMonitor, "hidraw", nullptr) < 0 ||
      udev_monitor_enable_receiving(m_pMonitor) < 0) {
    if (m_pMonitor) udev_monitor_unref(m_pMonitor);
    m_pMonitor = nullptr;
  }
}

CUdevDeviceWatch::~CUdevDeviceWatch() {
  if (m_pMonitor) udev_monitor_unref(m_pMonitor);
  if (m_pUdev) udev_unref(m_pUdev);
}

int CUdevDeviceWatch::Descriptor() const {
  return m_pMonitor ? udev_monitor_get_fd(m_pMonitor) : -1;
}

bool CUdevDeviceWatch::ParseHidId(const char* text, uint16_t* vendorId, uint16_t* productId) {
  if (!text) return false;
  unsigned long parts[3];
  const char* p = text;
  for (int i = 0; i < 3; ++i) {
    char* end = nullptr;
    parts[i] = std::strtoul(p, &end, 16);
    if (end == p || (i < 2 && *end != ':') || (i == 2 && *end != '\0')) return false;
    p = end + 1;
  }
  if (parts[1] > 0xFFFF || parts[2] > 0xFFFF) return false;
  *vendorId = static_cast<uint16_t>(parts[1]);
  *productId = static_cast<uint16_t>(parts[2]);
  return true;
}

std::vector<DeviceEvent> CUdevDeviceWatch::ReadEvents() {
  std::vector<DeviceEvent> events;
  if (!m_pMonitor) return events;
  while (udev_device* device = udev_monitor_receive_device(m_pMonitor)) {
    const char* action = udev_device_get_action(device);
    udev_device* hid = udev_device_get_parent_with_subsystem_devtype(device, "hid", nullptr);
    uint16_t vid = 0, pid = 0;
    const char* sysname = udev_device_get_sysname(device);
    if (action && hid && sysname &&
        ParseHidId(udev_device_get_property_value(hid, "HID_ID"), &vid, &pid) &&
        (std::strcmp(action, "add") == 0 || std::strcmp(action, "remove") == 0))
      events.push_back({std::strcmp(action, "add") == 0, InterfaceName(vid, pid, sysname)});
    udev_device_unref(device);
  }
  return events;
}

}  // namespace kv
