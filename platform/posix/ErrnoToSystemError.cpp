#include "platform/posix/ErrnoToSystemError.h"

#include <cerrno>

#include "common/SystemError.h"

namespace kv {

namespace {

constexpr int ANY_ERRNO = -1;

struct ErrnoRule {
  ErrnoCall m_call;
  int m_iErrno;  // ANY_ERRNO: every errno the call's other rules leave
  uint32_t m_uCode;
};

// Checked in order before the general mapping; the first rule of the call that fits wins.
constexpr ErrnoRule RULES[] = {
    {ErrnoCall::PIPE_CONNECT, ECONNREFUSED, ERROR_CODE_PIPE_BUSY},
    {ErrnoCall::PIPE_CONNECT, EAGAIN, ERROR_CODE_PIPE_BUSY},
    {ErrnoCall::PIPE_LOCK, EWOULDBLOCK, ERROR_CODE_PIPE_BUSY},
    {ErrnoCall::MUTEX_LOCK, EWOULDBLOCK, ERROR_CODE_ALREADY_EXISTS},
    {ErrnoCall::DEVICE_LOCK, EWOULDBLOCK, ERROR_CODE_SHARING_VIOLATION},
    // A socket nobody listens on is a device whose driver is gone; a full one is in use.
    {ErrnoCall::DEVICE_CONNECT, ECONNREFUSED, ERROR_CODE_FILE_NOT_FOUND},
    {ErrnoCall::DEVICE_CONNECT, EAGAIN, ERROR_CODE_SHARING_VIOLATION},
    {ErrnoCall::DEVICE_SEND, EPIPE, ERROR_CODE_DEVICE_NOT_CONNECTED},
    {ErrnoCall::DEVICE_SEND, ECONNRESET, ERROR_CODE_DEVICE_NOT_CONNECTED},
    {ErrnoCall::HID_OPEN, ENOENT, ERROR_CODE_FILE_NOT_FOUND},
    {ErrnoCall::HID_OPEN, ANY_ERRNO, ERROR_CODE_ACCESS_DENIED},
    {ErrnoCall::HID_CONNECT, EACCES, ERROR_CODE_ACCESS_DENIED},
    {ErrnoCall::HID_CONNECT, EPERM, ERROR_CODE_ACCESS_DENIED},
    {ErrnoCall::HID_CONNECT, ANY_ERRNO, ERROR_CODE_FILE_NOT_FOUND},
    {ErrnoCall::MAKE_DIRECTORY, 0, ERROR_CODE_ACCESS_DENIED},
};

static_assert(EWOULDBLOCK == EAGAIN, "a lock held elsewhere and a full socket share an errno");

uint32_t GeneralErrnoToSystemError(int err) {
  switch (err) {
    case 0:
      return ERROR_CODE_SUCCESS;
    case ENOENT:
    case ENOTDIR:
      return ERROR_CODE_FILE_NOT_FOUND;
    case EACCES:
    case EPERM:
    case EROFS:
      return ERROR_CODE_ACCESS_DENIED;
    case EBADF:
    case ENOTSOCK:
      return ERROR_CODE_INVALID_HANDLE;
    case ENOMEM:
    case ENOBUFS:
    case EMFILE:
    case ENFILE:
      return ERROR_CODE_NOT_ENOUGH_MEMORY;
    case EEXIST:
    case EADDRINUSE:
      return ERROR_CODE_ALREADY_EXISTS;
    case EINVAL:
    case EMSGSIZE:
    case ENAMETOOLONG:
      return ERROR_CODE_INVALID_PARAMETER;
    case EPIPE:
    case ECONNRESET:
    case ESHUTDOWN:
    case ECONNABORTED:
      return ERROR_CODE_BROKEN_PIPE;
    case ENOTCONN:
      return ERROR_CODE_PIPE_NOT_CONNECTED;
    case ECONNREFUSED:
      return ERROR_CODE_PIPE_BUSY;
    case EBUSY:
    case ETXTBSY:
      return ERROR_CODE_SHARING_VIOLATION;
    case ETIMEDOUT:
      return ERROR_CODE_TIMEOUT;
    case ECANCELED:
      return ERROR_CODE_OPERATION_ABORTED;
    case EAGAIN:
      return ERROR_CODE_IO_INCOMPLETE;
    case ENODEV:
    case ENXIO:
      return ERROR_CODE_DEVICE_NOT_CONNECTED;
    default:
      return ERROR_CODE_GEN_FAILURE;
  }
}

}  // namespace

uint32_t ErrnoToSystemError(int err, ErrnoCall call) {
  for (const ErrnoRule& rule : RULES)
    if (rule.m_call == call && (rule.m_iErrno == err || rule.m_iErrno == ANY_ERRNO))
      return rule.m_uCode;
  return GeneralErrnoToSystemError(err);
}

}  // namespace kv
