#pragma once
// Finds the panel's HID collection: the device path that worked last time first, then the
// present HID interfaces by index, each opened and taken only when it is a digitizer
// collection (usage page 0x0D, usage 1) that the model table knows by vendor id, product id
// and collection text. Worker thread only.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "platform/HidBus.h"
#include "platform/HidDevice.h"
#include "tabrix/driverlink/ModelEntry.h"

namespace kv {

class CModelTable;

// An open collection and what the link keeps of it.
struct PanelPort {
  std::unique_ptr<HidDevice> m_pDevice;
  std::string m_sPath;
  const ModelEntry* m_pModel = nullptr;
  HidAttributes m_attributes;
  HidCaps m_caps;
  std::string m_sProduct;         // each UTF-16 unit cut to its low byte, at most 63
  bool m_bInputBuffersSet = false;  // the handle keeps INPUT_BUFFERS reports
};

class CPanelPortFinder {
 public:
  static constexpr uint32_t MAX_INTERFACES = 129;
  static constexpr size_t INPUT_BUFFERS = 512;  // the most the HID class keeps per handle
  static constexpr size_t MAX_PRODUCT_CHARS = 63;

  CPanelPortFinder(HidBus& bus, const CModelTable& models) : m_bus(bus), m_models(models) {}

  // True with *port filled when a matching collection is open; remembers its path.
  bool Open(PanelPort* port);

 private:
  bool TryPath(const std::string& path, PanelPort* port);

  HidBus& m_bus;
  const CModelTable& m_models;
  std::string m_sRememberedPath;
};

}  // namespace kv
