#pragma once
// The Windows generation code the application runs under (handed in at start; 16 on
// Linux). Rules that depend on it compare against these.
#include <cstdint>

namespace kv {

inline constexpr int32_t OS_TYPE_WIN2000 = 12;
inline constexpr int32_t OS_TYPE_XP = 13;
inline constexpr int32_t OS_TYPE_VISTA = 15;
inline constexpr int32_t OS_TYPE_WIN7 = 16;

}  // namespace kv
