#include <gtest/gtest.h>

#include <set>
#include <vector>

#include "common/CommandCodes.h"
#include "common/SettingsMerge.h"

namespace kv {
namespace {

std::set<size_t> Bytes(std::initializer_list<std::pair<size_t, size_t>> ranges) {
  std::set<size_t> s;
  for (auto [first, last] : ranges)
    for (size_t i = first; i <= last; ++i) s.insert(i);
  return s;
}

struct MergeCase {
  uint32_t command;
  std::set<size_t> fromPayload;
};

TEST(SettingsMerge, EachCommandTakesOnlyItsFields) {
  const MergeCase cases[] = {
      {COMMAND_SET_INPUT_ENABLE, Bytes({{0, 0}})},
      {COMMAND_SET_ROTATION, Bytes({{24, 25}})},
      {COMMAND_SET_PEN_BUTTON_MODE, Bytes({{26, 27}})},
      // Switch, screen size, ratios and offsets; not the driver's bytes 6-7.
      {COMMAND_SET_CALIBRATION, Bytes({{1, 5}, {8, 23}})},
      {COMMAND_SET_CALIBRATION_SWITCH, Bytes({{1, 1}})},
      {COMMAND_SET_PANEL_STATE, Bytes({{28, 31}})},
  };
  std::vector<uint8_t> current(36), payload(36);
  for (size_t i = 0; i < 36; ++i) {
    current[i] = static_cast<uint8_t>(0x80 + i);
    payload[i] = static_cast<uint8_t>(i + 1);
  }
  for (const MergeCase& c : cases) {
    std::array<uint8_t, 36> merged{};
    ASSERT_TRUE(MergeForCommand(c.command, current, payload, &merged)) << c.command;
    for (size_t i = 0; i < 36; ++i) {
      EXPECT_EQ(merged[i], c.fromPayload.count(i) ? payload[i] : current[i])
          << "command " << c.command << " byte " << i;
    }
  }
}

TEST(SettingsMerge, OtherCommandsAndSizesAreRefused) {
  std::vector<uint8_t> rec(36, 1);
  std::array<uint8_t, 36> merged{};
  merged.fill(7);
  for (uint32_t command : {0u, COMMAND_GET_DRIVER_INFO, COMMAND_TAKE_TOUCH_POINT,
                           COMMAND_READ_TOUCH_POINT, COMMAND_WAIT_STATUS, COMMAND_CANCEL_STATUS_WAIT,
                           COMMAND_SET_TOUCH_MODE, COMMAND_SET_DEVICE_PATH, 14u}) {
    EXPECT_FALSE(MergeForCommand(command, rec, rec, &merged)) << command;
    EXPECT_EQ(FindSettingsMergeRule(command), nullptr);
  }
  std::vector<uint8_t> shortRec(24, 1);
  EXPECT_FALSE(MergeForCommand(COMMAND_SET_ROTATION, shortRec, rec, &merged));
  EXPECT_FALSE(MergeForCommand(COMMAND_SET_ROTATION, rec, shortRec, &merged));
  EXPECT_EQ(merged[0], 7);
}

TEST(SettingsMerge, RecordFormMatchesByteForm) {
  DriverSettings current;
  current.m_uRotation = 90;
  current.m_aDriverBytes6 = {0xAA, 0xBB};
  current.m_aDriverBytes32 = {1, 2, 3, 4};
  DriverSettings payload;  // the all-zero record of a calibration-mode request
  payload.m_uCalibrationSwitch = 1;
  DriverSettings merged;
  ASSERT_TRUE(MergeForCommand(COMMAND_SET_CALIBRATION, current, payload, &merged));
  EXPECT_EQ(merged.m_uCalibrationSwitch, 1);
  EXPECT_EQ(merged.m_uRotation, 90);
  EXPECT_EQ(merged.m_aDriverBytes6, current.m_aDriverBytes6);
  EXPECT_EQ(merged.m_aDriverBytes32, current.m_aDriverBytes32);
}

}  // namespace
}  // namespace kv
