#pragma once
// DeviceIo on a kernel driver's device: CreateFileA on "\\.\NAME" (read/write, no sharing,
// existing only, overlapped) and DeviceIoControl. Every call goes through an OVERLAPPED
// block, as the handle demands; the synchronous ones wait for their completion at once.
#include <memory>
#include <string>

#include "platform/DeviceIo.h"

namespace kv {

class CDeviceControlIo final : public DeviceIo {
 public:
  uint32_t Open(const std::string& windowsName, std::unique_ptr<DeviceHandle>* handle) override;
};

}  // namespace kv
