#pragma once
// Which bytes of the driver's DriverSettings each settings command changes. The service
// reads the driver's record, takes these bytes from the request's payload and writes the
// result back; every other byte keeps the driver's value. One table, so that the service
// and the tests share the same truth.
#include <array>
#include <cstddef>
#include <cstdint>
#include <span>

#include "common/CommandCodes.h"
#include "common/DriverSettings.h"

namespace kv {

struct SettingsRange {
  uint8_t m_uOffset;
  uint8_t m_uLength;
};

struct SettingsMergeRule {
  static constexpr size_t MAX_RANGES = 7;
  uint32_t m_uCommand;
  size_t m_uCount;
  std::array<SettingsRange, MAX_RANGES> m_aRanges;

  std::span<const SettingsRange> Ranges() const { return {m_aRanges.data(), m_uCount}; }
};

// Calibration (7) takes its fields one by one: bytes 6-7 between the screen height and
// ratio X are the driver's own and stay as the driver has them.
inline constexpr std::array<SettingsMergeRule, 6> SETTINGS_MERGE_TABLE = {{
    {COMMAND_SET_INPUT_ENABLE, 1, {{{0, 1}}}},
    {COMMAND_SET_ROTATION, 1, {{{24, 2}}}},
    {COMMAND_SET_PEN_BUTTON_MODE, 1, {{{26, 2}}}},
    {COMMAND_SET_CALIBRATION, 7, {{{1, 1}, {2, 2}, {4, 2}, {8, 4}, {12, 4}, {16, 4}, {20, 4}}}},
    {COMMAND_SET_CALIBRATION_SWITCH, 1, {{{1, 1}}}},
    {COMMAND_SET_PANEL_STATE, 2, {{{28, 2}, {30, 2}}}},
}};

// The rule of a settings command, or nullptr for any other command.
const SettingsMergeRule* FindSettingsMergeRule(uint32_t command);

// merged = current with the command's bytes taken from payload. False (merged untouched)
// when the command is not a settings command or either record is not DriverSettings::SIZE
// bytes.
bool MergeForCommand(uint32_t command, std::span<const uint8_t> current,
                     std::span<const uint8_t> payload, std::array<uint8_t, DriverSettings::SIZE>* merged);
bool MergeForCommand(uint32_t command, const DriverSettings& current, const DriverSettings& payload,
                     DriverSettings* merged);

}  // namespace kv
