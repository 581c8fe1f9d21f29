#pragma once
// Real HID devices through hidapi (hidraw backend). What it cannot give as Windows does:
// - hidraw has one node per USB interface, not per top-level collection. The device path
//   names the node ("\\?\hid#vid_2f11&pid_5a01&col01#/dev/hidraw3"); "&col01" is added
//   when the interface has several top-level collections, and the caps are those of the
//   first one, which is the collection Windows calls col01. Other collections of such an
//   interface are not listed separately.
// - Capabilities come from our own reading of the report descriptor in sysfs
//   (HidReportDescriptor.h); without it the usage page and usage come from hidapi and the
//   report lengths are 0, which makes writes and feature transfers refuse (87).
// - A read cannot be interrupted inside hidapi, so reads wait in slices of 20 ms and a
//   cancel is seen within one slice. Keyboards and mice that hidraw will not open give 5.
#include "platform/HidBus.h"

namespace kv {

class CHidapiBus final : public HidBus {
 public:
  CHidapiBus();
  ~CHidapiBus() override;

  uint32_t EnumerateInterface(uint32_t index, std::string* path) override;
  uint32_t Open(const std::string& path, bool overlapped,
                std::unique_ptr<HidDevice>* device) override;

 private:
  bool m_bInitialised;
};

}  // namespace kv
