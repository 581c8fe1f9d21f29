#pragma once
// Result codes of the calibration computation and the string-table entries of their
// messages and detail texts.
#include <cstdint>
#include <string>

#include "resources/StringTable.h"

namespace kv {

enum CalResultCode : int {
  CAL_OK = 0,
  CAL_ERR_PARAMETER = 1,
  CAL_ERR_X_ORDER = 10,         // first corner not left of the last
  CAL_ERR_Y_ORDER = 11,         // first corner not above the last
  CAL_ERR_POINT_ORDER = 12,     // nodes out of order; the error list names them
  CAL_ERR_POINT_DEVIATION = 13, // nodes half a cell or more off; the error list names them
  CAL_ERR_ZERO_SPAN = 14,       // a span the computation divides by is zero
  CAL_ERR_OUT_OF_RANGE = 15,    // a result does not fit the coordinates of the sensor
  CAL_ERR_ANGLE_FIT = 20,
  CAL_ERR_DELTA_L = 21,         // a delta too large to be stored
  CAL_ERR_DELTA_R = 22,
  CAL_ERR_DELTA_D = 23,
};

// String ids: the message of code c is kMessageBase + c; texts without a code follow.
struct CalStrings {
  static constexpr uint32_t kMessageBase = 2000;
  static constexpr uint32_t kUndefined = 2099;
  static constexpr uint32_t kDetailXOrder = 2110;
  static constexpr uint32_t kDetailYOrder = 2111;
  static constexpr uint32_t kDetailNode = 2112;
  static constexpr uint32_t kDetailMore = 2113;
  static constexpr uint32_t kDetailTableWidth = 2140;
  static constexpr uint32_t kDetailTableHeight = 2141;
  static constexpr uint32_t kDetailScreenWidth = 2142;
  static constexpr uint32_t kDetailScreenHeight = 2143;
  static constexpr uint32_t kDetailNodeSpan = 2144;
  static constexpr uint32_t kDetailNodeRange = 2150;
  static constexpr uint32_t kDetailDeltas = 2152;
  static constexpr uint32_t kDetailBaseline = 2153;
};

// The message of a result code ("" for success, "undefined err." for an unknown code).
std::string CalResultMessage(const CStringTable& strings, int code);

}  // namespace kv
