#include "platform/Accounts.h"

#include <pwd.h>

#include <array>

namespace kv {

int64_t GuestAccountUid() {
  passwd entry;
  passwd* found = nullptr;
  std::array<char, 4096> scratch;
  if (getpwnam_r("nobody", &entry, scratch.data(), scratch.size(), &found) != 0 || !found)
    return -1;
  return found->pw_uid;
}

}  // namespace kv
