#pragma once
// The mouse parameters of the user's session that the tray application sets from its
// settings (SystemParametersInfo on Windows). Posix backend: CFileSystemParameters
// (platform/posix/FileSystemParameters.h). Tests may hand in their own.
#include <cstdint>

namespace kv {

enum class SystemParameter : uint32_t {
  DOUBLE_CLICK_WIDTH,   // pixels
  DOUBLE_CLICK_HEIGHT,  // pixels
  DOUBLE_CLICK_TIME,    // milliseconds
  DRAG_WIDTH,           // pixels
  DRAG_HEIGHT,          // pixels
};

inline constexpr uint32_t SYSTEM_PARAMETER_COUNT = 5;

// The fWinIni flags of SystemParametersInfo: keep the value in the user's profile, and tell
// the other programs of the session that it changed.
inline constexpr uint32_t SPIF_UPDATE_INI_FILE = 1;
inline constexpr uint32_t SPIF_SEND_CHANGE = 2;

class SystemParameters {
 public:
  virtual ~SystemParameters() = default;
  // 0 or a system error code.
  virtual uint32_t Get(SystemParameter parameter, uint32_t* value) = 0;
  virtual uint32_t Set(SystemParameter parameter, uint32_t value, uint32_t flags) = 0;
};

}  // namespace kv
