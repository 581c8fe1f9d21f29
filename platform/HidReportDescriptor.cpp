#include "platform/HidReportDescriptor.h"

#include <algorithm>
#include <array>
#include <map>
#include <vector>

namespace kv {

namespace {

struct GlobalState {
  uint32_t m_uUsagePage = 0;
  uint32_t m_uReportSize = 0;
  uint32_t m_uReportCount = 0;
  uint32_t m_uReportId = 0;
};

uint16_t ByteLength(uint64_t bits) {
  if (bits == 0) return 0;
  uint64_t bytes = (bits + 7) / 8 + 1;  // + the report id byte
  return static_cast<uint16_t>(std::min<uint64_t>(bytes, 0xFFFF));
}

}  // namespace

bool ParseHidReportDescriptor(std::span<const uint8_t> d, HidDescriptorSummary* summary) {
  *summary = HidDescriptorSummary{};
  GlobalState global;
  std::vector<GlobalState> stack;
  uint32_t firstUsage = 0;
  bool haveUsage = false;
  int depth = 0;
  // Bits per report id and kind (0 input, 1 output, 2 feature).
  std::map<uint32_t, std::array<uint64_t, 3>> bits;
  bool ok = true;
  size_t i = 0;
  while (i < d.size()) {
    uint8_t prefix = d[i];
    if (prefix == 0xFE) {  // long item: size, tag, data
      if (d.size() - i < 3) { ok = false; break; }
      size_t size = d[i + 1];
      if (d.size() - i - 3 < size) { ok = false; break; }
      i += 3 + size;
      continue;
    }
    size_t size = prefix & 3u;
    if (size == 3) size = 4;
    if (d.size() - i - 1 < size) { ok = false; break; }
    uint32_t value = 0;
    for (size_t k = 0; k < size; ++k) value |= static_cast<uint32_t>(d[i + 1 + k]) << (8 * k);
    i += 1 + size;
    uint8_t type = (prefix >> 2) & 3u, tag = prefix >> 4;
    if (type == 0) {  // main
      if (tag == 0x8 || tag == 0x9 || tag == 0xB) {
        int kind = tag == 0x8 ? 0 : tag == 0x9 ? 1 : 2;
        bits[global.m_uReportId][kind] +=
            static_cast<uint64_t>(global.m_uReportSize) * global.m_uReportCount;
      } else if (tag == 0xA) {
        if (depth == 0) {
          if (summary->m_uTopLevelCollections == 0) {
            uint32_t page = haveUsage && (firstUsage >> 16) ? firstUsage >> 16 : global.m_uUsagePage;
            summary->m_caps.m_uUsagePage = static_cast<uint16_t>(page);
            summary->m_caps.m_uUsage = static_cast<uint16_t>(firstUsage);
          }
          ++summary->m_uTopLevelCollections;
        }
        ++depth;
      } else if (tag == 0xC) {
        if (depth == 0) { ok = false; break; }
        --depth;
      }
      haveUsage = false;  // local items end with every main item
      firstUsage = 0;
    } else if (type == 1) {  // global
      switch (tag) {
        case 0x0: global.m_uUsagePage = value; break;
        case 0x7: global.m_uReportSize = value; break;
        case 0x8:
          global.m_uReportId = value;
          summary->m_bReportIds = true;
          break;
        case 0x9: global.m_uReportCount = value; break;
        case 0xA: if (stack.size() < 16) stack.push_back(global); break;
        case 0xB:
          if (stack.empty()) { ok = false; break; }
          global = stack.back();
          stack.pop_back();
          break;
        default: break;
      }
      if (!ok) break;
    } else if (type == 2 && tag == 0x0 && !haveUsage) {  // the first usage names a collection
      firstUsage = size == 4 ? value : value & 0xFFFF;
      haveUsage = true;
    }
  }
  uint64_t longest[3] = {0, 0, 0};
  for (auto& [id, b] : bits)
    for (int k = 0; k < 3; ++k) longest[k] = std::max(longest[k], b[k]);
  summary->m_caps.m_uInputReportByteLength = ByteLength(longest[0]);
  summary->m_caps.m_uOutputReportByteLength = ByteLength(longest[1]);
  summary->m_caps.m_uFeatureReportByteLength = ByteLength(longest[2]);
  return ok && depth == 0;
}

}  // namespace kv
