#pragma once
// The simulated HID bus: the devices the stand-ins announce under CPaths::HidDir()
// (see SimHidDescriptor.h for the announcement, SimHidFrame.h for the endpoint framing).
// Enumeration orders the devices by name and skips announcements whose owner process is
// gone. Like a device-information set, index 0 takes a snapshot of the folder and the later
// indexes walk it, so one pass over n interfaces reads the folder once, not n times.
#include <mutex>
#include <vector>

#include "platform/HidBus.h"
#include "platform/posix/SimHidDescriptor.h"

namespace kv {

class CSimHidBus final : public HidBus {
 public:
  // featureTimeoutMs bounds a feature transfer that the device never answers.
  explicit CSimHidBus(const CPaths& paths, int featureTimeoutMs = 2000);

  uint32_t EnumerateInterface(uint32_t index, std::string* path) override;
  uint32_t Open(const std::string& path, bool overlapped,
                std::unique_ptr<HidDevice>* device) override;

  // The present devices, in enumeration order.
  std::vector<SimHidDescriptor> PresentDevices() const;

 private:
  std::string m_sDir;
  int m_iFeatureTimeoutMs;
  std::mutex m_mutex;  // guards the snapshot
  std::vector<SimHidDescriptor> m_snapshot;
  bool m_bHaveSnapshot = false;
};

}  // namespace kv
