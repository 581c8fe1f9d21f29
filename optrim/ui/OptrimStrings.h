#pragma once
// String-table ids of the sensor tool's windows (resources/optrim.strings).
#include <cstdint>

namespace kv::optrim_str {

inline constexpr uint32_t ABOUT_ENTRY = 101;
inline constexpr uint32_t UNDEFINED_ERROR = 102;
inline constexpr uint32_t SENSOR_INITIALIZING = 107;
inline constexpr uint32_t SENSOR_NOT_FOUND = 108;
inline constexpr uint32_t DISCONNECTED = 111;
inline constexpr uint32_t CONNECT_FAILED = 126;
inline constexpr uint32_t AXIS_NOT_READY = 127;
inline constexpr uint32_t TITLE_BASIC = 160;
inline constexpr uint32_t TITLE_PRECISE = 161;  // %d: the number of points
inline constexpr uint32_t TOUCH_AND_ENTER = 162;
inline constexpr uint32_t CHECK_COORDINATES = 163;
inline constexpr uint32_t COORDINATE_VALUE = 165;
inline constexpr uint32_t RANGE_TITLE = 168;
inline constexpr uint32_t RANGE_QUESTION = 169;
inline constexpr uint32_t ESC_CANCELS = 170;
inline constexpr uint32_t DELETE_CANCELS = 171;
inline constexpr uint32_t R_RECALIBRATES = 175;
inline constexpr uint32_t POINT_CHECK_ERROR = 176;
inline constexpr uint32_t POINTS_TOO_FAR = 177;
inline constexpr uint32_t TOUCH_CLOSER = 178;
inline constexpr uint32_t CALCULATION_ERROR = 179;
inline constexpr uint32_t ACCEPTED_RELEASE = 182;
inline constexpr uint32_t BUTTON_APPLY = 183;
inline constexpr uint32_t BUTTON_RETRY = 184;
inline constexpr uint32_t BUTTON_CANCEL = 185;
inline constexpr uint32_t APP_CAPTION = 186;
inline constexpr uint32_t WRITING_COMPLETE = 902;
inline constexpr uint32_t WRITING_FAILED = 903;
inline constexpr uint32_t ALREADY_RUNS = 3001;
inline constexpr uint32_t UNDEFINED_SENSOR = 3002;
inline constexpr uint32_t FLASH_QUESTION = 3003;
inline constexpr uint32_t COORDINATES = 3004;        // %5d, %5d
inline constexpr uint32_t AUTO_CONFIRM = 3005;       // %.1f
inline constexpr uint32_t BUTTON_CONNECT = 3010;
inline constexpr uint32_t BUTTON_DISCONNECT = 3011;
inline constexpr uint32_t BUTTON_CALIBRATION = 3012;
inline constexpr uint32_t BUTTON_ADJUST = 3013;
inline constexpr uint32_t BUTTON_CLEAR = 3014;
inline constexpr uint32_t BUTTON_EXIT = 3015;
inline constexpr uint32_t AUTO_EXIT_OFF = 3016;
inline constexpr uint32_t BUTTON_PRECISE = 3017;
inline constexpr uint32_t BUTTON_BASIC = 3018;
inline constexpr uint32_t BUTTON_FLASH = 3019;
inline constexpr uint32_t PROGRAM_NAME = 3020;
inline constexpr uint32_t ABOUT_VERSION = 3021;  // %s: the version
inline constexpr uint32_t SCREEN_TITLE = 3022;
inline constexpr uint32_t SENSOR_WINDOW_TITLE = 3023;
inline constexpr uint32_t PANEL_TITLE = 3024;

}  // namespace kv::optrim_str
