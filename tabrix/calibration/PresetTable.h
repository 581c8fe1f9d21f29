#pragma once
// The preset records in registry enumeration order. Two subkeys may name the same
// resolution (1920_1080 and 01920_1080); lookups scan in order.
#include <memory>
#include <vector>

#include "tabrix/calibration/PresetRecord.h"

namespace kv {

class PresetTable {
 public:
  void Clear() { m_records.clear(); }
  void Append(std::unique_ptr<PresetRecord> record) { m_records.push_back(std::move(record)); }
  size_t Size() const { return m_records.size(); }
  const PresetRecord& At(size_t i) const { return *m_records[i]; }
  // The first record of that resolution, or null.
  const PresetRecord* Find(int32_t width, int32_t height) const {
    for (const auto& r : m_records)
      if (r->m_iWidth == width && r->m_iHeight == height) return r.get();
    return nullptr;
  }

 private:
  std::vector<std::unique_ptr<PresetRecord>> m_records;
};

}  // namespace kv
