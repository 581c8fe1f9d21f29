#pragma once
// The driver device as both pipe threads share it: the device path last sent with command
// 13 and the handle opened from it, lazily. The handle is handed out as a shared_ptr, so a
// thread still inside a call keeps its descriptor alive; closing the slot's handle cancels
// a pending overlapped call on it, and no new open happens until every retired handle is
// really gone (the driver admits one open handle at a time).
#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>

#include "platform/DeviceIo.h"

namespace kv {

inline constexpr size_t DEVICE_PATH_CAPACITY = 260;  // char[260] with its NUL

class CDeviceSlot {
 public:
  // retireWaitMs: how long an open waits for a retired handle's last user to let go.
  explicit CDeviceSlot(DeviceIo& io, int retireWaitMs = 2000);
  ~CDeviceSlot();
  CDeviceSlot(const CDeviceSlot&) = delete;
  CDeviceSlot& operator=(const CDeviceSlot&) = delete;

  // Command 13: stores the path; when a device is open, closes it and opens the new path
  // at once. 0 or the open's error (an empty path counts as not found).
  uint32_t SetPath(const std::string& path);
  // The open handle, opening the stored path when none is open; null with *error set when
  // that fails.
  std::shared_ptr<DeviceHandle> Acquire(uint32_t* error);
  // After a failed call: closes the handle if it is still the slot's current one.
  void Release(const std::shared_ptr<DeviceHandle>& failed);
  // Closes the open handle (ending a pending wait on it).
  void Close();
  // Service start: empties the path and closes the handle.
  void Reset();
  // Service stop: closes the handle and refuses every later open (with 995).
  void Shutdown();

  std::string Path() const;
  bool IsOpen() const;

 private:
  // Counts the slot's handles whose close has not finished yet. Held by each handle's
  // deleter, so it outlives a slot whose handle a thread still holds.
  struct LiveHandles {
    std::mutex m_mutex;
    std::condition_variable m_closed;
    int m_iCount = 0;
  };

  // Under m_openMutex.
  uint32_t OpenLocked(std::shared_ptr<DeviceHandle>* handle);
  static void Retire(std::shared_ptr<DeviceHandle> handle);

  DeviceIo& m_io;
  int m_iRetireWaitMs;
  std::mutex m_openMutex;  // serialises opening and closing
  mutable std::mutex m_mutex;  // guards the fields below
  std::string m_sPath;
  std::shared_ptr<DeviceHandle> m_handle;
  std::shared_ptr<LiveHandles> m_live = std::make_shared<LiveHandles>();
  bool m_bShutdown = false;
};

}  // namespace kv
