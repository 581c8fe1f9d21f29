#pragma once
// The one place where errno values become the Windows system error codes that travel in
// our records. Both backends must report the same numbers for the same situation. Some
// calls mean something of their own by an errno (a lock already held is "pipe busy" for a
// pipe server and "already exists" for a mutex); the caller names the call, and the rule
// table in the source says what changes for it.
#include <cstdint>

namespace kv {

enum class ErrnoCall {
  ANY,             // any call without rules of its own
  PIPE_CONNECT,    // connect(2) to a pipe: refused or full is "pipe busy"
  PIPE_LOCK,       // flock of a pipe server's lock: held is "pipe busy"
  MUTEX_LOCK,      // flock of a named mutex: held is "already exists"
  DEVICE_LOCK,     // flock of a device endpoint's lock: held is "sharing violation"
  DEVICE_CONNECT,  // connect(2) to a device endpoint: nobody listening is "file not found"
  DEVICE_SEND,     // send(2) on a device handle: a closed peer is "device not connected"
  HID_OPEN,        // opening a HID node: missing is "file not found", the rest "access denied"
  HID_CONNECT,     // connect(2) to a simulated HID device: refused is "access denied",
                   // anything else an unplugged device ("file not found")
  MAKE_DIRECTORY,  // creating a folder that failed without an errno: "access denied"
};

uint32_t ErrnoToSystemError(int err, ErrnoCall call = ErrnoCall::ANY);

// connect(2) on a local endpoint: a present endpoint that refuses or has no room is
// "pipe busy" (231); a missing one "file not found" (2).
inline uint32_t ConnectErrnoToSystemError(int err) {
  return ErrnoToSystemError(err, ErrnoCall::PIPE_CONNECT);
}

}  // namespace kv
