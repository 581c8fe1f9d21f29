#include "common/SettingsMerge.h"

#include <cstring>

namespace kv {

namespace {

constexpr bool RulesFitRecord() {
  for (const auto& rule : SETTINGS_MERGE_TABLE) {
    if (rule.m_uCount > SettingsMergeRule::MAX_RANGES) return false;
    for (size_t i = 0; i < rule.m_uCount; ++i) {
      if (rule.m_aRanges[i].m_uOffset + rule.m_aRanges[i].m_uLength > DriverSettings::SIZE) return false;
    }
  }
  return true;
}
static_assert(RulesFitRecord(), "a merge range lies outside DriverSettings");

}  // namespace

const SettingsMergeRule* FindSettingsMergeRule(uint32_t command) {
  for (const auto& rule : SETTINGS_MERGE_TABLE) {
    if (rule.m_uCommand == command) return &rule;
  }
  return nullptr;
}

bool MergeForCommand(uint32_t command, std::span<const uint8_t> current,
                     std::span<const uint8_t> payload, std::array<uint8_t, DriverSettings::SIZE>* merged) {
  const SettingsMergeRule* rule = FindSettingsMergeRule(command);
  if (!rule || current.size() != DriverSettings::SIZE || payload.size() != DriverSettings::SIZE) {
    return false;
  }
  std::array<uint8_t, DriverSettings::SIZE> out;
  std::memcpy(out.data(), current.data(), out.size());
  for (const SettingsRange& range : rule->Ranges()) {
    std::memcpy(out.data() + range.m_uOffset, payload.data() + range.m_uOffset, range.m_uLength);
  }
  *merged = out;
  return true;
}

bool MergeForCommand(uint32_t command, const DriverSettings& current, const DriverSettings& payload,
                     DriverSettings* merged) {
  std::array<uint8_t, DriverSettings::SIZE> bytes;
  if (!MergeForCommand(command, current.Encode(), payload.Encode(), &bytes)) return false;
  return DriverSettings::Decode(bytes, merged);
}

}  // namespace kv
