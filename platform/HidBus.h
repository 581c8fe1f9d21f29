#pragma once
// The HID class as the programs use it: present HID interfaces are enumerated by index
// (SetupDiEnumDeviceInterfaces + detail), each giving a device path, and a path is opened
// into a HidDevice (CreateFile, read/write, shared read/write, open existing).
// Two backends: the simulated bus of the hardware stand-ins ($KV_PREFIX/run/hid/) and
// hidapi for real devices. Device paths of the simulated bus look like Windows instance
// paths, so the collection-text rule ("col01" after the first character) works unchanged.
#include <cstdint>
#include <memory>
#include <string>

#include "platform/HidDevice.h"
#include "platform/Paths.h"

namespace kv {

class HidBus {
 public:
  virtual ~HidBus() = default;

  // Device path of present interface number index (0, 1, 2, ...); each call looks at the
  // devices present now, in a stable order. ERROR_CODE_NO_MORE_ITEMS past the end.
  virtual uint32_t EnumerateInterface(uint32_t index, std::string* path) = 0;
  // overlapped: the handle is used for reads with a time-out and cancel (on Windows that
  // needs FILE_FLAG_OVERLAPPED; the posix backends allow time-outs on every handle).
  // 0, 2 when no such device is present, 5 when the collection cannot be opened for
  // read/write (keyboards, mice).
  virtual uint32_t Open(const std::string& path, bool overlapped,
                        std::unique_ptr<HidDevice>* device) = 0;
};

// The backend named by the environment: KV_HID=sim selects the simulated bus under
// paths.HidDir(), anything else (or unset) hidapi.
std::unique_ptr<HidBus> CreateHidBus(const CPaths& paths);

}  // namespace kv
