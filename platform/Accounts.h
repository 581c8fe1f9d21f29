#pragma once
// The system's user accounts as the service needs them: the guest account, whose clients
// must never reach the driver (on Windows the guest and anonymous logons; "nobody" here).
#include <cstdint>

namespace kv {

// The guest account's uid, or -1 when the system has none.
int64_t GuestAccountUid();

}  // namespace kv
