#pragma once
// Command codes of the optical touch sensor: byte 0 of the 8-byte command record that
// travels in feature report 0 (see optrim/device/SensorCommand.h for the record). Most are
// ASCII letters; a read is SENSOR_READ_MARKER followed by the code to read. The calibration
// tool and the sensor stand-in both take the codes from here.
#include <cstdint>

namespace kv {

// Control commands.
inline constexpr uint8_t SENSOR_KEEP_ALIVE = 0x00;
inline constexpr uint8_t SENSOR_READ_MARKER = 0x01;      // [1] code, [2] AddressByte, ...
inline constexpr uint8_t SENSOR_SET_MODE = 0x02;         // [2] mode 0..5
inline constexpr uint8_t SENSOR_FLASH = 0x03;            // [2] flash operation
inline constexpr uint8_t SENSOR_CALIBRATION_DONE = 0x04;
inline constexpr uint8_t SENSOR_UPLOAD_BRACKET = 0x07;   // [2] 1 begins a table upload, 0 ends it

// Per-camera imaging parameters.
inline constexpr uint8_t SENSOR_CAMERA_RECORD_A = 'A';
inline constexpr uint8_t SENSOR_CAMERA_RECORD_B = 'B';
inline constexpr uint8_t SENSOR_LED_OFF = 'D';
inline constexpr uint8_t SENSOR_GAIN = 'E';
inline constexpr uint8_t SENSOR_OFFSET = 'F';
inline constexpr uint8_t SENSOR_INTEGRATION_WIDTH = 'G';
inline constexpr uint8_t SENSOR_VERTICAL_SMOOTHER = 'H';
inline constexpr uint8_t SENSOR_HORIZONTAL_REVERSE = 'I';
inline constexpr uint8_t SENSOR_VERTICAL_REVERSE = 'J';
// Whole-sensor settings.
inline constexpr uint8_t SENSOR_INTERVAL = 'K';
inline constexpr uint8_t SENSOR_KEY9 = 'f';
// The five computation words (parameter keys 13 to 17).
inline constexpr uint8_t SENSOR_CALC_WORD_0 = 'L';
inline constexpr uint8_t SENSOR_CALC_WORD_1 = 'g';
inline constexpr uint8_t SENSOR_CALC_WORD_2 = 'h';
inline constexpr uint8_t SENSOR_CALC_WORD_3 = 'i';
inline constexpr uint8_t SENSOR_CALC_WORD_4 = 'j';
// Per-camera detection window.
inline constexpr uint8_t SENSOR_FIRST_PIXEL = 'M';
inline constexpr uint8_t SENSOR_LAST_PIXEL = 'N';
inline constexpr uint8_t SENSOR_VERTICAL_POSITION = 'O';
inline constexpr uint8_t SENSOR_LIMIT_1 = 'P';
inline constexpr uint8_t SENSOR_LIMIT_2 = 'Q';
inline constexpr uint8_t SENSOR_OFFSET_CORRECTION = 'p';
// Per-camera lens values (floats): phi0, cp, p_h, theta0, then a[0] to a[5].
inline constexpr uint8_t SENSOR_LENS_PHI0 = 'R';
inline constexpr uint8_t SENSOR_LENS_CP = 'S';
inline constexpr uint8_t SENSOR_LENS_PH = 'T';
inline constexpr uint8_t SENSOR_LENS_THETA0 = 'U';
inline constexpr uint8_t SENSOR_LENS_A0 = 'V';
inline constexpr uint8_t SENSOR_LENS_LAST = '[';  // a[5]
inline constexpr uint8_t SENSOR_CAMERA_NUMBER = 'n';
// Calibration tables.
inline constexpr uint8_t SENSOR_ANGLE_ENABLE = '\\';
inline constexpr uint8_t SENSOR_ANGLE_DELTAS = ']';
inline constexpr uint8_t SENSOR_PRECISE_SIZE = '^';
inline constexpr uint8_t SENSOR_PRECISE_CELL = '_';
inline constexpr uint8_t SENSOR_BASIC_SIZE = '`';
inline constexpr uint8_t SENSOR_BASIC_CELL = 'a';
inline constexpr uint8_t SENSOR_BASIC_MIN = 'b';
inline constexpr uint8_t SENSOR_BASIC_MAX = 'c';
// State.
inline constexpr uint8_t SENSOR_FLASH_STATE = 'd';
inline constexpr uint8_t SENSOR_READY = 'e';

static_assert(SENSOR_LENS_LAST - SENSOR_LENS_A0 == 5, "six lens coefficients a[0..5]");

}  // namespace kv
