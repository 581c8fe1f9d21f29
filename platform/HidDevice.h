#pragma once
// One open HID collection, as the Windows HID class offers it through a file handle
// (ReadFile/WriteFile, HidD_*, HidP_GetCaps). Reports always start with the report id
// byte, as on Windows. Every call returns a system error code (0 = success); once the
// device is unplugged every call fails promptly with ERROR_CODE_DEVICE_NOT_CONNECTED.
#include <cstddef>
#include <cstdint>
#include <span>
#include <string>

#include "common/SystemError.h"

namespace kv {

struct HidAttributes {
  uint16_t m_uVendorId = 0;
  uint16_t m_uProductId = 0;
  uint16_t m_uVersionNumber = 0;
};

// What HidP_GetCaps reports; the lengths include the report id byte.
struct HidCaps {
  uint16_t m_uUsagePage = 0;
  uint16_t m_uUsage = 0;
  uint16_t m_uInputReportByteLength = 0;
  uint16_t m_uOutputReportByteLength = 0;
  uint16_t m_uFeatureReportByteLength = 0;
};

class HidDevice {
 public:
  virtual ~HidDevice() = default;

  virtual uint32_t GetAttributes(HidAttributes* attributes) = 0;
  virtual uint32_t GetCaps(HidCaps* caps) = 0;
  // UTF-16 units, as HidD_GetProductString / HidD_GetSerialNumberString give them.
  virtual uint32_t GetProductString(std::u16string* text) = 0;
  virtual uint32_t GetSerialNumberString(std::u16string* text) = 0;

  // Sends one output report; its size must be the output report length (87 otherwise,
  // as WriteFile on a HID handle refuses other sizes).
  virtual uint32_t WriteOutputReport(std::span<const uint8_t> report) = 0;
  // Takes the oldest queued input report. buffer must hold the input report length (122
  // otherwise). timeoutMs < 0 waits without limit; ERROR_CODE_TIMEOUT when none came in
  // time (nothing is lost: a later read gets it). ERROR_CODE_OPERATION_ABORTED when
  // CancelRead() was called while waiting, or since the last read.
  virtual uint32_t ReadInputReport(std::span<uint8_t> buffer, int timeoutMs, size_t* read) = 0;
  // Thread-safe (CancelIo of a pending overlapped read).
  virtual void CancelRead() = 0;
  // HidD_SetNumInputBuffers: how many input reports the handle keeps for the reader before
  // the oldest is dropped (2 to 512; 87 outside). Backends whose buffer is fixed by the
  // OS (hidraw) refuse with 1.
  virtual uint32_t SetNumInputBuffers(size_t count) {
    (void)count;
    return ERROR_CODE_INVALID_FUNCTION;
  }

  // HidD_SetFeature / HidD_GetFeature: report[0] is the report id. The buffer size must
  // be the feature report length where the backend knows it (87 otherwise). GetFeature
  // sends the id in buffer[0] and fills the whole buffer.
  virtual uint32_t SetFeature(std::span<const uint8_t> report) = 0;
  virtual uint32_t GetFeature(std::span<uint8_t> buffer) = 0;

  // Ends a pending read with 995 first; later calls fail with ERROR_CODE_INVALID_HANDLE.
  virtual void Close() = 0;
};

}  // namespace kv
