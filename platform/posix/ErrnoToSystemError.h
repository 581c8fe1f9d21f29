#pragma once
// The one place where errno values become the Windows system error codes that travel in
// our records. Both backends must report the same numbers for the same situation.
#include <cstdint>

namespace kv {

// Any call but connect(2).
uint32_t ErrnoToSystemError(int err);
// connect(2) on a local endpoint: a present endpoint that refuses or has no room is
// "pipe busy" (231); a missing one "file not found" (2).
uint32_t ConnectErrnoToSystemError(int err);

}  // namespace kv
