#pragma once
// Command codes of a PipeRequest. The status wait (10) travels on the status pipe; every
// other code on the control pipe.
#include <cstdint>

namespace kv {

inline constexpr uint32_t COMMAND_GET_DRIVER_INFO = 1;
inline constexpr uint32_t COMMAND_SET_INPUT_ENABLE = 2;
inline constexpr uint32_t COMMAND_SET_ROTATION = 3;
inline constexpr uint32_t COMMAND_SET_PEN_BUTTON_MODE = 4;
inline constexpr uint32_t COMMAND_TAKE_TOUCH_POINT = 5;
inline constexpr uint32_t COMMAND_READ_TOUCH_POINT = 6;
inline constexpr uint32_t COMMAND_SET_CALIBRATION = 7;
inline constexpr uint32_t COMMAND_SET_CALIBRATION_SWITCH = 8;
inline constexpr uint32_t COMMAND_SET_PANEL_STATE = 9;
inline constexpr uint32_t COMMAND_WAIT_STATUS = 10;
inline constexpr uint32_t COMMAND_CANCEL_STATUS_WAIT = 11;
inline constexpr uint32_t COMMAND_SET_TOUCH_MODE = 12;
inline constexpr uint32_t COMMAND_SET_DEVICE_PATH = 13;

}  // namespace kv
