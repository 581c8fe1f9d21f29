#pragma once
// Device I/O control codes of the touch panel driver: device type 0x0F, functions 0xC10 to
// 0xC17, buffered, any access. Built the way the Windows CTL_CODE macro builds them, so the
// numbers stay right if a function is ever added.
#include <cstdint>

namespace kv {

inline constexpr uint32_t TOUCH_PANEL_DEVICE_TYPE = 0x0F;
inline constexpr uint32_t CONTROL_METHOD_BUFFERED = 0;
inline constexpr uint32_t CONTROL_ANY_ACCESS = 0;

constexpr uint32_t MakeControlCode(uint32_t deviceType, uint32_t function, uint32_t method,
                                   uint32_t access) {
  return (deviceType << 16) | (access << 14) | (function << 2) | method;
}

constexpr uint32_t TouchPanelControlCode(uint32_t function) {
  return MakeControlCode(TOUCH_PANEL_DEVICE_TYPE, function, CONTROL_METHOD_BUFFERED,
                         CONTROL_ANY_ACCESS);
}

inline constexpr uint32_t CONTROL_CODE_GET_INFO = 0xF3040;
inline constexpr uint32_t CONTROL_CODE_SET_SETTINGS = 0xF3044;
inline constexpr uint32_t CONTROL_CODE_GET_SETTINGS = 0xF3048;
inline constexpr uint32_t CONTROL_CODE_PUT_TOUCH_POINT = 0xF304C;
inline constexpr uint32_t CONTROL_CODE_GET_TOUCH_POINT = 0xF3050;
inline constexpr uint32_t CONTROL_CODE_WAIT_STATUS = 0xF3054;
inline constexpr uint32_t CONTROL_CODE_CANCEL_WAIT = 0xF3058;
inline constexpr uint32_t CONTROL_CODE_SET_TOUCH_MODE = 0xF305C;

static_assert(TouchPanelControlCode(0xC10) == CONTROL_CODE_GET_INFO);
static_assert(TouchPanelControlCode(0xC11) == CONTROL_CODE_SET_SETTINGS);
static_assert(TouchPanelControlCode(0xC12) == CONTROL_CODE_GET_SETTINGS);
static_assert(TouchPanelControlCode(0xC13) == CONTROL_CODE_PUT_TOUCH_POINT);
static_assert(TouchPanelControlCode(0xC14) == CONTROL_CODE_GET_TOUCH_POINT);
static_assert(TouchPanelControlCode(0xC15) == CONTROL_CODE_WAIT_STATUS);
static_assert(TouchPanelControlCode(0xC16) == CONTROL_CODE_CANCEL_WAIT);
static_assert(TouchPanelControlCode(0xC17) == CONTROL_CODE_SET_TOUCH_MODE);

}  // namespace kv
