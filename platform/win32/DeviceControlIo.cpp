#include "platform/win32/DeviceControlIo.h"

#include <windows.h>

#include "common/SystemError.h"
#include "platform/win32/OverlappedWait.h"

namespace kv {

namespace {

class CControlHandle final : public DeviceHandle {
 public:
  explicit CControlHandle(HANDLE device)
      : m_hDevice(device), m_hCancel(CreateEventA(nullptr, TRUE, FALSE, nullptr)) {}
  ~CControlHandle() override {
    CancelIoEx(m_hDevice, nullptr);
    CloseHandle(m_hDevice);
    if (m_hCancel) CloseHandle(m_hCancel);
  }

  uint32_t Control(uint32_t code, std::span<const uint8_t> in, std::span<uint8_t> out,
                   uint32_t* returned) override {
    return Call(code, in, out, returned, nullptr);
  }

  uint32_t ControlOverlapped(uint32_t code, std::span<const uint8_t> in, std::span<uint8_t> out,
                             uint32_t* returned) override {
    ResetEvent(m_hCancel);
    return Call(code, in, out, returned, m_hCancel);
  }

  void CancelOverlapped() override { SetEvent(m_hCancel); }

 private:
  uint32_t Call(uint32_t code, std::span<const uint8_t> in, std::span<uint8_t> out, uint32_t* returned,
                HANDLE cancel) {
    if (returned) *returned = 0;
    HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
    if (!done) return GetLastError();
    OVERLAPPED ov{};
    ov.hEvent = done;
    // DeviceIoControl takes no const input; the driver does not write it (method buffered).
    void* inData = in.empty() ? nullptr : const_cast<uint8_t*>(in.data());
    void* outData = out.empty() ? nullptr : out.data();
    BOOL started = DeviceIoControl(m_hDevice, code, inData, static_cast<DWORD>(in.size()), outData,
                                   static_cast<DWORD>(out.size()), nullptr, &ov);
    DWORD bytes = 0;
    uint32_t rc = FinishOverlapped(m_hDevice, &ov, started, started ? 0 : GetLastError(), cancel, -1, &bytes);
    CloseHandle(done);
    if (returned) *returned = bytes;
    return rc;
  }

  HANDLE m_hDevice;
  HANDLE m_hCancel;
};

}  // namespace

uint32_t CDeviceControlIo::Open(const std::string& windowsName, std::unique_ptr<DeviceHandle>* handle) {
  handle->reset();
  if (windowsName.empty()) return ERROR_CODE_FILE_NOT_FOUND;
  HANDLE device = CreateFileA(windowsName.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                              FILE_FLAG_OVERLAPPED, nullptr);
  if (device == INVALID_HANDLE_VALUE) return GetLastError();
  *handle = std::make_unique<CControlHandle>(device);
  return ERROR_CODE_SUCCESS;
}

}  // namespace kv
