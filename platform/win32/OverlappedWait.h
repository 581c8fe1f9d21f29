#pragma once
// Finishing one overlapped call on a pipe or device: wait for its event, or for a stop event,
// or for a time-out. A call that does not complete is cancelled and waited for, so that the
// OVERLAPPED block and the buffer are free again when this returns.
#include <windows.h>

#include <cstdint>

namespace kv {

// started: the result of the call that started the operation (ReadFile, ConnectNamedPipe,
// DeviceIoControl), with GetLastError() right after it in startError. stop may be null;
// timeoutMs < 0 waits without limit. 0 with *bytes, ERROR_CODE_OPERATION_ABORTED when stop
// ended the wait, ERROR_CODE_TIMEOUT, or the call's own error.
uint32_t FinishOverlapped(HANDLE file, OVERLAPPED* overlapped, BOOL started, DWORD startError,
                          HANDLE stop, int timeoutMs, DWORD* bytes);

}  // namespace kv
