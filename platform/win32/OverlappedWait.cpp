#include "platform/win32/OverlappedWait.h"

#include "common/SystemError.h"

namespace kv {

uint32_t FinishOverlapped(HANDLE file, OVERLAPPED* overlapped, BOOL started, DWORD startError,
                          HANDLE stop, int timeoutMs, DWORD* bytes) {
  *bytes = 0;
  if (started) {
    // Completed at once; the count is in the block.
    return GetOverlappedResult(file, overlapped, bytes, FALSE) ? ERROR_CODE_SUCCESS : GetLastError();
  }
  if (startError != ERROR_IO_PENDING) return startError;
  HANDLE events[2] = {overlapped->hEvent, stop};
  DWORD count = stop ? 2 : 1;
  DWORD wait = WaitForMultipleObjects(count, events, FALSE, timeoutMs < 0 ? INFINITE : static_cast<DWORD>(timeoutMs));
  if (wait == WAIT_OBJECT_0) {
    return GetOverlappedResult(file, overlapped, bytes, FALSE) ? ERROR_CODE_SUCCESS : GetLastError();
  }
  CancelIoEx(file, overlapped);
  // The cancelled call may still have completed; either way the block is ours again.
  BOOL done = GetOverlappedResult(file, overlapped, bytes, TRUE);
  if (done && wait == WAIT_TIMEOUT) return ERROR_CODE_SUCCESS;
  if (wait == WAIT_OBJECT_0 + 1) return ERROR_CODE_OPERATION_ABORTED;
  if (wait == WAIT_TIMEOUT) return ERROR_CODE_TIMEOUT;
  return GetLastError();
}

}  // namespace kv
