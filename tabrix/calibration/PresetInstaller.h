#pragma once
// Installs the shipped screen-size presets into the machine hive. The table is text, one
// preset a line: model, W_H, preset name, ratio X, ratio Y, offset X, offset Y; "#" starts
// a comment. A line that does not parse is refused as a whole and counted.
#include <cstddef>
#include <string>

#include "platform/Registry.h"

namespace kv {

struct PresetInstallResult {
  size_t m_uInstalled = 0;
  size_t m_uRejected = 0;
  uint32_t m_uError = 0;  // the first registry error, 0 = none
};

PresetInstallResult InstallPresetTable(Registry& registry, const std::string& text);

}  // namespace kv
