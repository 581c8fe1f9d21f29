#include "tabrix/firmware/PanelPortFinder.h"

#include <utility>

#include "common/PanelFirmwareCodes.h"
#include "common/SystemError.h"
#include "tabrix/driverlink/ModelTable.h"

namespace kv {

namespace {
constexpr uint16_t USAGE_PAGE_DIGITIZER = 0x0D;
constexpr uint16_t USAGE_DIGITIZER = 0x01;
}  // namespace

bool CPanelPortFinder::Open(PanelPort* port) {
  // A remembered path that fails (unplugged, or another device there now) is forgotten, and
  // the scan starts from the first interface.
  const std::string remembered = std::exchange(m_sRememberedPath, std::string());
  bool found = !remembered.empty() && TryPath(remembered, port);
  for (uint32_t index = 0; !found && index < MAX_INTERFACES; ++index) {
    std::string path;
    const uint32_t rc = m_bus.EnumerateInterface(index, &path);
    if (rc == ERROR_CODE_NO_MORE_ITEMS) break;
    if (rc == ERROR_CODE_SUCCESS) found = TryPath(path, port);
  }
  if (found) m_sRememberedPath = port->m_sPath;
  return found;
}

// A collection that cannot be opened (keyboards, mice) counts as one that does not match.
bool CPanelPortFinder::TryPath(const std::string& path, PanelPort* port) {
  std::unique_ptr<HidDevice> dev;
  if (m_bus.Open(path, true, &dev) != ERROR_CODE_SUCCESS || !dev) return false;
  HidAttributes attr;
  HidCaps caps;
  const bool ok = dev->GetAttributes(&attr) == ERROR_CODE_SUCCESS &&
                  dev->GetCaps(&caps) == ERROR_CODE_SUCCESS &&
                  caps.m_uUsagePage == USAGE_PAGE_DIGITIZER && caps.m_uUsage == USAGE_DIGITIZER &&
                  caps.m_uInputReportByteLength >= PANEL_ANSWER_BYTES &&
                  caps.m_uOutputReportByteLength >= PANEL_COMMAND_BYTES;
  const ModelEntry* row =
      ok ? m_models.FindByDevice(attr.m_uVendorId, attr.m_uProductId, path) : nullptr;
  if (row == nullptr) {
    dev->Close();
    return false;
  }
  // The self-test answer is 558 reports in one burst; the default 32 would drop most of
  // it whenever the worker falls behind for a moment.
  port->m_bInputBuffersSet = dev->SetNumInputBuffers(INPUT_BUFFERS) == ERROR_CODE_SUCCESS;
  std::u16string product;
  if (dev->GetProductString(&product) != ERROR_CODE_SUCCESS) product.clear();
  port->m_sProduct.clear();
  for (char16_t c : product) {
    if (port->m_sProduct.size() >= MAX_PRODUCT_CHARS || c == 0) break;
    port->m_sProduct += static_cast<char>(c & 0xFF);
  }
  port->m_pDevice = std::move(dev);
  port->m_sPath = path;
  port->m_pModel = row;
  port->m_attributes = attr;
  port->m_caps = caps;
  return true;
}

}  // namespace kv
