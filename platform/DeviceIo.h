#pragma once
// Device I/O control on a driver device. Logic takes a DeviceIo so that tests can hand in
// a fake; the posix backend (CDeviceEndpointIo) talks to a device endpoint, see
// platform/DeviceEndpoint.h for the framing.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace kv {

class DeviceHandle {
 public:
  virtual ~DeviceHandle() = default;
  // One synchronous control call. *returned is the number of bytes the device put in out.
  virtual uint32_t Control(uint32_t code, std::span<const uint8_t> in, std::span<uint8_t> out,
                           uint32_t* returned) = 0;
  // The one overlapped call: blocks until the device answers, or returns
  // ERROR_CODE_OPERATION_ABORTED when CancelOverlapped() is called or the handle is closed.
  // Synchronous Control calls on the same handle proceed meanwhile from other threads.
  virtual uint32_t ControlOverlapped(uint32_t code, std::span<const uint8_t> in,
                                     std::span<uint8_t> out, uint32_t* returned) = 0;
  // Thread-safe.
  virtual void CancelOverlapped() = 0;
};

class DeviceIo {
 public:
  virtual ~DeviceIo() = default;
  // Opens a device by its Windows name ("\\.\kvtpd700") for exclusive read/write.
  // 0, or 2 when absent, 32 when another handle is open.
  virtual uint32_t Open(const std::string& windowsName, std::unique_ptr<DeviceHandle>* handle) = 0;
};

}  // namespace kv
