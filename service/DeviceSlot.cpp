#include "service/DeviceSlot.h"

#include <chrono>

#include "common/SystemError.h"

namespace kv {

CDeviceSlot::CDeviceSlot(DeviceIo& io, int retireWaitMs) : m_io(io), m_iRetireWaitMs(retireWaitMs) {}

CDeviceSlot::~CDeviceSlot() { Close(); }

void CDeviceSlot::Retire(std::shared_ptr<DeviceHandle> handle) {
  if (!handle) return;
  handle->CancelOverlapped();
  // handle goes out of scope here; the device closes when its last user lets go
}

uint32_t CDeviceSlot::OpenLocked(std::shared_ptr<DeviceHandle>* out) {
  std::string path;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bShutdown) return ERROR_CODE_OPERATION_ABORTED;
    if (m_handle) {
      *out = m_handle;
      return ERROR_CODE_SUCCESS;
    }
    path = m_sPath;
  }
  if (path.empty()) return ERROR_CODE_FILE_NOT_FOUND;
  // A thread that was inside a call on the old handle lets go of it as soon as the cancel
  // reaches it; until its close has run the driver would refuse a second open. The count
  // drops only after the handle's destructor, not when its last reference goes.
  {
    std::unique_lock<std::mutex> lock(m_live->m_mutex);
    m_live->m_closed.wait_for(lock, std::chrono::milliseconds(m_iRetireWaitMs),
                              [&] { return m_live->m_iCount == 0; });
  }
  std::unique_ptr<DeviceHandle> opened;
  uint32_t rc = m_io.Open(path, &opened);
  if (rc == ERROR_CODE_SUCCESS && !opened) rc = ERROR_CODE_INVALID_HANDLE;
  if (rc != ERROR_CODE_SUCCESS) return rc;
  {
    std::lock_guard<std::mutex> lock(m_live->m_mutex);
    ++m_live->m_iCount;
  }
  std::shared_ptr<DeviceHandle> shared(opened.release(), [live = m_live](DeviceHandle* h) {
    delete h;
    std::lock_guard<std::mutex> lock(live->m_mutex);
    --live->m_iCount;
    live->m_closed.notify_all();
  });
  std::lock_guard<std::mutex> lock(m_mutex);
  if (m_bShutdown) return ERROR_CODE_OPERATION_ABORTED;
  m_handle = shared;
  *out = shared;
  return ERROR_CODE_SUCCESS;
}

uint32_t CDeviceSlot::SetPath(const std::string& path) {
  std::lock_guard<std::mutex> open(m_openMutex);
  std::shared_ptr<DeviceHandle> old;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sPath = path.substr(0, DEVICE_PATH_CAPACITY - 1);
    old = std::move(m_handle);
    m_handle.reset();
  }
  if (!old) return ERROR_CODE_SUCCESS;
  Retire(std::move(old));
  std::shared_ptr<DeviceHandle> fresh;
  return OpenLocked(&fresh);
}

std::shared_ptr<DeviceHandle> CDeviceSlot::Acquire(uint32_t* error) {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_handle) {
      *error = ERROR_CODE_SUCCESS;
      return m_handle;
    }
  }
  std::lock_guard<std::mutex> open(m_openMutex);
  std::shared_ptr<DeviceHandle> handle;
  *error = OpenLocked(&handle);
  return handle;
}

void CDeviceSlot::Release(const std::shared_ptr<DeviceHandle>& failed) {
  std::shared_ptr<DeviceHandle> old;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!failed || m_handle != failed) return;
    old = std::move(m_handle);
    m_handle.reset();
  }
  Retire(std::move(old));
}

void CDeviceSlot::Close() {
  std::shared_ptr<DeviceHandle> old;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    old = std::move(m_handle);
    m_handle.reset();
  }
  Retire(std::move(old));
}

void CDeviceSlot::Reset() {
  std::lock_guard<std::mutex> open(m_openMutex);
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_sPath.clear();
    m_bShutdown = false;
  }
  Close();
}

void CDeviceSlot::Shutdown() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bShutdown = true;
  }
  Close();
}

std::string CDeviceSlot::Path() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_sPath;
}

bool CDeviceSlot::IsOpen() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_handle != nullptr;
}

}  // namespace kv
