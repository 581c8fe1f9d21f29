#pragma once
// System error codes as the Windows build numbers them. They travel inside pipe records,
// so every backend reports the same numbers; the posix backend maps errno onto them.
#include <cstdint>

namespace kv {

inline constexpr uint32_t ERROR_CODE_SUCCESS = 0;
inline constexpr uint32_t ERROR_CODE_INVALID_FUNCTION = 1;
inline constexpr uint32_t ERROR_CODE_FILE_NOT_FOUND = 2;
inline constexpr uint32_t ERROR_CODE_ACCESS_DENIED = 5;
inline constexpr uint32_t ERROR_CODE_INVALID_HANDLE = 6;
inline constexpr uint32_t ERROR_CODE_NOT_ENOUGH_MEMORY = 8;
inline constexpr uint32_t ERROR_CODE_INVALID_DATA = 13;
inline constexpr uint32_t ERROR_CODE_GEN_FAILURE = 31;
inline constexpr uint32_t ERROR_CODE_SHARING_VIOLATION = 32;
inline constexpr uint32_t ERROR_CODE_INVALID_PARAMETER = 87;
inline constexpr uint32_t ERROR_CODE_BROKEN_PIPE = 109;
inline constexpr uint32_t ERROR_CODE_INSUFFICIENT_BUFFER = 122;
inline constexpr uint32_t ERROR_CODE_ALREADY_EXISTS = 183;
inline constexpr uint32_t ERROR_CODE_MORE_DATA = 234;
inline constexpr uint32_t ERROR_CODE_PIPE_BUSY = 231;
inline constexpr uint32_t ERROR_CODE_NO_DATA = 232;
inline constexpr uint32_t ERROR_CODE_PIPE_NOT_CONNECTED = 233;
inline constexpr uint32_t ERROR_CODE_NO_MORE_ITEMS = 259;
inline constexpr uint32_t ERROR_CODE_OPERATION_ABORTED = 995;
inline constexpr uint32_t ERROR_CODE_IO_INCOMPLETE = 996;
inline constexpr uint32_t ERROR_CODE_IO_PENDING = 997;
inline constexpr uint32_t ERROR_CODE_DEVICE_NOT_CONNECTED = 1167;
inline constexpr uint32_t ERROR_CODE_TIMEOUT = 1460;

}  // namespace kv
