#include "platform/NamedMutex.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "common/SystemError.h"
#include "platform/posix/ErrnoToSystemError.h"
#include "platform/posix/LocalSocket.h"
#include "platform/posix/UniqueFd.h"

namespace kv {

namespace {

// The lock files are never removed: unlinking one while another process is about to lock it
// would let two owners hold two different files of the same name.
CUniqueFd OpenLock(const std::string& path, bool mayCreate) {
  CUniqueFd fd(::open(path.c_str(), O_RDWR | O_CLOEXEC | O_NOFOLLOW | (mayCreate ? O_CREAT : 0), 0644));
  if (!fd.Valid() && errno == EACCES) fd.Reset(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
  return fd;
}

}  // namespace

CNamedMutex::~CNamedMutex() { Close(); }

uint32_t CNamedMutex::Create(const CPaths& paths, const std::string& name) {
  Close();
  const std::string path = paths.LockPath(name);
  if (name.empty() || path.back() == '/') return ERROR_CODE_INVALID_PARAMETER;
  if (uint32_t error = PrepareEndpointDir(ParentDir(path))) return error;
  CUniqueFd fd(OpenLock(path, true));
  if (!fd.Valid()) return ErrnoToSystemError(errno);
  if (flock(fd.Get(), LOCK_EX | LOCK_NB) != 0)
    return ErrnoToSystemError(errno, ErrnoCall::MUTEX_LOCK);
  m_fd = std::move(fd);
  return ERROR_CODE_SUCCESS;
}

bool CNamedMutex::Exists(const CPaths& paths, const std::string& name) {
  if (name.empty()) return false;
  return LockHeldElsewhere(paths.LockPath(name));
}

void CNamedMutex::Close() {
  m_fd.Reset();
}

}  // namespace kv
