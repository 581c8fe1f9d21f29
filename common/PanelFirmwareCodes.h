#pragma once
// The panel firmware's reports on its HID collection, as the tray application sends and
// the panel answers them. The program and the panel stand-in both take the numbers from
// here, so the two cannot drift apart.
//
//   output report (the collection's output length, zero-filled):
//     [0] report id 1   [1] opcode   [2] parameter
//   input report (only the first 10 bytes carry meaning):
//     [0] report id 1   [1] answer type   [2..9] data
#include <cstddef>
#include <cstdint>

namespace kv {

inline constexpr uint8_t PANEL_REPORT_ID = 1;
inline constexpr size_t PANEL_COMMAND_BYTES = 3;
inline constexpr size_t PANEL_ANSWER_BYTES = 10;

// Opcodes (byte 1 of an output report).
inline constexpr uint8_t PANEL_OP_GET_DIP_SW_STATUS = 0;
inline constexpr uint8_t PANEL_OP_GET_CHECK_DATA = 1;
inline constexpr uint8_t PANEL_OP_SET_INPUT_MODE = 3;
inline constexpr uint8_t PANEL_OP_SET_REGION_DETECTION = 4;
inline constexpr uint8_t PANEL_OP_TOUCH_REPORT = 5;
inline constexpr uint8_t PANEL_OP_GET_CHECK_SUM = 7;
inline constexpr uint8_t PANEL_OP_SET_COMPATIBLE_MODE = 10;
inline constexpr uint8_t PANEL_OP_CHANGE_AREA_MODE = 14;
inline constexpr uint8_t PANEL_OP_GET_CALIBRATION_DATA = 16;
inline constexpr uint8_t PANEL_OP_SET_BUTTON1_MODE = 25;
inline constexpr uint8_t PANEL_OP_SET_BUTTON2_MODE = 26;
inline constexpr uint8_t PANEL_OP_SET_SCREEN_ROTATE = 27;
inline constexpr uint8_t PANEL_OP_SET_OS_TYPE = 28;
inline constexpr uint8_t PANEL_OP_SET_TOUCH_PANEL = 29;
inline constexpr uint8_t PANEL_OP_GET_DEVICE_POSITION = 30;
inline constexpr uint8_t PANEL_OP_GET_SCREEN_POSITION = 31;
// Calibration bytes 0..7 each have their own opcode.
inline constexpr uint8_t PANEL_OP_SET_CALIBRATION_FIRST = 64;
inline constexpr uint8_t PANEL_OP_SET_CALIBRATION_LAST = 71;

// Answer types (byte 1 of an input report).
inline constexpr uint8_t PANEL_ANSWER_DIP_SW = 1;
inline constexpr uint8_t PANEL_ANSWER_CHECK_DATA = 2;
inline constexpr uint8_t PANEL_ANSWER_TOUCH_STATE = 3;
inline constexpr uint8_t PANEL_ANSWER_TOUCH_POSITION = 4;
inline constexpr uint8_t PANEL_ANSWER_CHECK_SUM = 5;
inline constexpr uint8_t PANEL_ANSWER_TOUCH_PRESENCE = 6;
inline constexpr uint8_t PANEL_ANSWER_COMPATIBLE_MODE = 7;
inline constexpr uint8_t PANEL_ANSWER_CALIBRATION = 11;
inline constexpr uint8_t PANEL_ANSWER_BUTTON = 15;
inline constexpr uint8_t PANEL_ANSWER_DEVICE_POSITION = 16;
inline constexpr uint8_t PANEL_ANSWER_SCREEN_POSITION = 17;

// A self-test record whose bytes 2 and 3 both hold this ends the records.
inline constexpr uint8_t PANEL_CHECK_DATA_END = 0xFF;

// Byte 2 of a touch presence answer: the pen is down, or the touch ended by a release.
inline constexpr uint8_t PANEL_PRESENCE_RELEASED = 0;
inline constexpr uint8_t PANEL_PRESENCE_TOUCHING = 1;
// Byte 2 of a touch state answer.
inline constexpr uint8_t PANEL_STATE_TOUCHING = 0;
inline constexpr uint8_t PANEL_STATE_RELEASED = 1;

static_assert(PANEL_OP_SET_CALIBRATION_LAST - PANEL_OP_SET_CALIBRATION_FIRST + 1 == 8,
              "four calibration words go out as eight bytes");

}  // namespace kv
