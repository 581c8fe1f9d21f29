#include "platform/Accounts.h"

namespace kv {

// Windows refuses the guest and anonymous logons through the pipe's security descriptor,
// not by a number the service compares.
int64_t GuestAccountUid() { return -1; }

}  // namespace kv
