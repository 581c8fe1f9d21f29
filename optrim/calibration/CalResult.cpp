#include "optrim/calibration/CalResult.h"

namespace kv {

std::string CalResultMessage(const CStringTable& strings, int code) {
  switch (code) {
    case CAL_OK:
      return std::string();
    case CAL_ERR_PARAMETER:
    case CAL_ERR_X_ORDER:
    case CAL_ERR_Y_ORDER:
    case CAL_ERR_ZERO_SPAN:
    case CAL_ERR_OUT_OF_RANGE:
    case CAL_ERR_ANGLE_FIT:
    case CAL_ERR_DELTA_L:
    case CAL_ERR_DELTA_R:
    case CAL_ERR_DELTA_D:
      return strings.Get(CalStrings::kMessageBase + static_cast<uint32_t>(code));
    default:
      // 12 and 13 carry their node list as the message; the caller supplies it.
      return strings.Get(CalStrings::kUndefined);
  }
}

}  // namespace kv
