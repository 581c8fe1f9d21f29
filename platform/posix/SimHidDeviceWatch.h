#pragma once
// DeviceWatch of the simulated HID bus: an inotify watch on its folder. A device arrives
// when its announcement file appears (written under another name and renamed into place)
// and leaves when it is removed; what each announced is kept to name it on removal.
#include <map>
#include <string>

#include "platform/DeviceWatch.h"
#include "platform/posix/UniqueFd.h"

namespace kv {

class CSimHidDeviceWatch final : public DeviceWatch {
 public:
  explicit CSimHidDeviceWatch(const std::string& hidDir);
  int Descriptor() const override { return m_fd.Get(); }
  std::vector<DeviceEvent> ReadEvents() override;

 private:
  // The interface name of an announcement file, "" when it cannot be read.
  std::string NameOf(const std::string& stem) const;

  std::string m_sDir;
  CUniqueFd m_fd;
  std::map<std::string, std::string> m_present;  // file stem -> interface name
};

}  // namespace kv
