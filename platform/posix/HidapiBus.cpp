#include "platform/posix/HidapiBus.h"

#include <hidapi/hidapi.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <chrono>
#include <fstream>
#include <mutex>
#include <vector>

#include "common/SystemError.h"
#include "platform/posix/ErrnoToSystemError.h"
#include "platform/HidReportDescriptor.h"

namespace kv {

namespace {

struct Interface {
  std::string m_sPath;     // the Windows-like path we hand out
  std::string m_sNode;     // /dev/hidrawN
  HidAttributes m_attributes;
  HidCaps m_caps;
  bool m_bReportIds = true;  // unknown: take the bytes as hidraw gives them
};

// "/dev/hidraw3" -> its report descriptor in sysfs.
bool ReadSysfsDescriptor(const std::string& node, HidDescriptorSummary* summary) {
  size_t slash = node.find_last_of('/');
  std::string leaf = slash == std::string::npos ? node : node.substr(slash + 1);
  if (leaf.rfind("hidraw", 0) != 0) return false;
  std::ifstream in("/sys/class/hidraw/" + leaf + "/device/report_descriptor", std::ios::binary);
  if (!in) return false;
  std::vector<uint8_t> bytes(4096);
  in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
  bytes.resize(static_cast<size_t>(in.gcount()));
  return !bytes.empty() && ParseHidReportDescriptor(bytes, summary);
}

std::vector<Interface> ListInterfaces() {
  std::vector<Interface> list;
  hid_device_info* all = hid_enumerate(0, 0);
  for (hid_device_info* d = all; d; d = d->next) {
    if (!d->path) continue;
    Interface itf;
    itf.m_sNode = d->path;
    itf.m_attributes.m_uVendorId = d->vendor_id;
    itf.m_attributes.m_uProductId = d->product_id;
    itf.m_attributes.m_uVersionNumber = d->release_number;
    itf.m_caps.m_uUsagePage = d->usage_page;
    itf.m_caps.m_uUsage = d->usage;
    HidDescriptorSummary summary;
    bool multi = false;
    if (ReadSysfsDescriptor(itf.m_sNode, &summary)) {
      itf.m_caps = summary.m_caps;
      itf.m_bReportIds = summary.m_bReportIds;
      multi = summary.m_uTopLevelCollections > 1;
    }
    char head[64];
    std::snprintf(head, sizeof head, "\\\\?\\hid#vid_%04x&pid_%04x%s#", d->vendor_id,
                  d->product_id, multi ? "&col01" : "");
    itf.m_sPath = head + itf.m_sNode;
    list.push_back(std::move(itf));
  }
  hid_free_enumeration(all);
  // hidapi lists in udev order; by node name the order stays put between calls.
  std::sort(list.begin(), list.end(),
            [](const Interface& a, const Interface& b) { return a.m_sNode < b.m_sNode; });
  list.erase(std::unique(list.begin(), list.end(),
                         [](const Interface& a, const Interface& b) { return a.m_sNode == b.m_sNode; }),
             list.end());
  return list;
}

std::u16string WideToUtf16(const wchar_t* text) {
  std::u16string out;
  for (; text && *text; ++text) {
    uint32_t cp = static_cast<uint32_t>(*text);
    if (cp >= 0x10000 && cp <= 0x10FFFF) {
      cp -= 0x10000;
      out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
      out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
    } else {
      out.push_back(cp > 0xFFFF ? u'\uFFFD' : static_cast<char16_t>(cp));
    }
  }
  return out;
}

class CHidapiDevice final : public HidDevice {
 public:
  CHidapiDevice(hid_device* dev, Interface itf) : m_pDev(dev), m_itf(std::move(itf)) {}
  ~CHidapiDevice() override { Close(); }

  uint32_t GetAttributes(HidAttributes* a) override {
    if (!Open()) return ERROR_CODE_INVALID_HANDLE;
    *a = m_itf.m_attributes;
    return ERROR_CODE_SUCCESS;
  }
  uint32_t GetCaps(HidCaps* c) override {
    if (!Open()) return ERROR_CODE_INVALID_HANDLE;
    *c = m_itf.m_caps;
    return ERROR_CODE_SUCCESS;
  }
  uint32_t GetProductString(std::u16string* text) override {
    return GetString(text, hid_get_product_string);
  }
  uint32_t GetSerialNumberString(std::u16string* text) override {
    return GetString(text, hid_get_serial_number_string);
  }
  uint32_t WriteOutputReport(std::span<const uint8_t> report) override {
    if (!Open()) return ERROR_CODE_INVALID_HANDLE;
    if (report.empty() || report.size() != m_itf.m_caps.m_uOutputReportByteLength)
      return ERROR_CODE_INVALID_PARAMETER;
    std::lock_guard<std::mutex> lock(m_writeMutex);
    int n = hid_write(m_pDev, report.data(), report.size());
    return n < 0 ? ERROR_CODE_DEVICE_NOT_CONNECTED : ERROR_CODE_SUCCESS;
  }
  uint32_t ReadInputReport(std::span<uint8_t> buffer, int timeoutMs, size_t* read) override {
    *read = 0;
    if (!Open()) return ERROR_CODE_INVALID_HANDLE;
    if (buffer.empty() || buffer.size() < m_itf.m_caps.m_uInputReportByteLength)
      return ERROR_CODE_INSUFFICIENT_BUFFER;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    std::lock_guard<std::mutex> lock(m_readMutex);
    for (;;) {
      if (m_bCancel.exchange(false)) return ERROR_CODE_OPERATION_ABORTED;
      int slice = 20;
      if (timeoutMs >= 0) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                        deadline - std::chrono::steady_clock::now()).count();
        if (left <= 0) return ERROR_CODE_TIMEOUT;
        slice = static_cast<int>(std::min<long long>(left, 20));
      }
      // hidraw gives reports without the id byte when the device uses no ids; Windows
      // always puts the id (0) first, so read behind a leading 0 in that case.
      size_t skip = m_itf.m_bReportIds ? 0 : 1;
      if (buffer.size() <= skip) return ERROR_CODE_INSUFFICIENT_BUFFER;
      int n = hid_read_timeout(m_pDev, buffer.data() + skip, buffer.size() - skip, slice);
      if (n < 0) return ERROR_CODE_DEVICE_NOT_CONNECTED;
      if (n == 0) continue;
      if (skip) buffer[0] = 0;
      *read = static_cast<size_t>(n) + skip;
      return ERROR_CODE_SUCCESS;
    }
  }
  void CancelRead() override { m_bCancel = true; }
  uint32_t SetFeature(std::span<const uint8_t> report) override {
    if (!Open()) return ERROR_CODE_INVALID_HANDLE;
    if (report.empty() || report.size() != m_itf.m_caps.m_uFeatureReportByteLength)
      return ERROR_CODE_INVALID_PARAMETER;
    std::lock_guard<std::mutex> lock(m_writeMutex);
    return hid_send_feature_report(m_pDev, report.data(), report.size()) < 0
               ? ERROR_CODE_GEN_FAILURE
               : ERROR_CODE_SUCCESS;
  }
  uint32_t GetFeature(std::span<uint8_t> buffer) override {
    if (!Open()) return ERROR_CODE_INVALID_HANDLE;
    if (buffer.empty() || buffer.size() != m_itf.m_caps.m_uFeatureReportByteLength)
      return ERROR_CODE_INVALID_PARAMETER;
    std::lock_guard<std::mutex> lock(m_writeMutex);
    int n = hid_get_feature_report(m_pDev, buffer.data(), buffer.size());
    if (n < 0) return ERROR_CODE_GEN_FAILURE;
    std::fill(buffer.begin() + n, buffer.end(), 0);
    return ERROR_CODE_SUCCESS;
  }
  void Close() override {
    m_bCancel = true;
    std::lock_guard<std::mutex> r(m_readMutex);
    std::lock_guard<std::mutex> w(m_writeMutex);
    if (m_pDev) hid_close(m_pDev);
    m_pDev = nullptr;
    m_bCancel = false;
  }

 private:
  bool Open() const { return m_pDev != nullptr; }
  uint32_t GetString(std::u16string* text, int (*get)(hid_device*, wchar_t*, size_t)) {
    if (!Open()) return ERROR_CODE_INVALID_HANDLE;
    wchar_t buf[256] = {};
    std::lock_guard<std::mutex> lock(m_writeMutex);
    if (get(m_pDev, buf, 255) < 0 || buf[0] == 0) return ERROR_CODE_INVALID_PARAMETER;
    *text = WideToUtf16(buf);
    return ERROR_CODE_SUCCESS;
  }

  hid_device* m_pDev;
  Interface m_itf;
  std::mutex m_readMutex;
  std::mutex m_writeMutex;  // hidapi calls other than reads, one at a time
  std::atomic<bool> m_bCancel{false};
};

}  // namespace

CHidapiBus::CHidapiBus() : m_bInitialised(hid_init() == 0) {}

CHidapiBus::~CHidapiBus() {
  if (m_bInitialised) hid_exit();
}

uint32_t CHidapiBus::EnumerateInterface(uint32_t index, std::string* path) {
  if (!m_bInitialised) return ERROR_CODE_NO_MORE_ITEMS;
  std::vector<Interface> list = ListInterfaces();
  if (index >= list.size()) return ERROR_CODE_NO_MORE_ITEMS;
  *path = list[index].m_sPath;
  return ERROR_CODE_SUCCESS;
}

uint32_t CHidapiBus::Open(const std::string& path, bool /*overlapped*/,
                          std::unique_ptr<HidDevice>* device) {
  device->reset();
  if (!m_bInitialised) return ERROR_CODE_FILE_NOT_FOUND;
  for (auto& itf : ListInterfaces()) {
    if (itf.m_sPath != path) continue;
    errno = 0;
    hid_device* dev = hid_open_path(itf.m_sNode.c_str());
    if (!dev) return ErrnoToSystemError(errno, ErrnoCall::HID_OPEN);
    *device = std::make_unique<CHidapiDevice>(dev, std::move(itf));
    return ERROR_CODE_SUCCESS;
  }
  return ERROR_CODE_FILE_NOT_FOUND;
}

}  // namespace kv
