#include "platform/posix/ErrnoToSystemError.h"

#include <cerrno>

#include "common/SystemError.h"

namespace kv {

uint32_t ErrnoToSystemError(int err) {
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

uint32_t ConnectErrnoToSystemError(int err) {
  switch (err) {
    case ECONNREFUSED:
    case EAGAIN:
      return ERROR_CODE_PIPE_BUSY;
    default:
      return ErrnoToSystemError(err);
  }
}

}  // namespace kv
