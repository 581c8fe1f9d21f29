#include "platform/posix/LocalSocket.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <chrono>
#include <cstring>

#include "common/SystemError.h"
#include "platform/Paths.h"
#include "platform/posix/ErrnoToSystemError.h"

namespace kv {

namespace {

bool MakeAddress(const std::string& path, sockaddr_un* addr, socklen_t* len) {
  std::memset(addr, 0, sizeof *addr);
  addr->sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof addr->sun_path) return false;
  std::memcpy(addr->sun_path, path.data(), path.size());
  *len = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + path.size() + 1);
  return true;
}

}  // namespace

PollResult WaitReady(int fd, short events, int stopFd, int timeoutMs, short* revents) {
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
  for (;;) {
    pollfd fds[2] = {{fd, events, 0}, {stopFd, POLLIN, 0}};
    int wait = -1;
    if (timeoutMs >= 0) {
      auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
      wait = left.count() < 0 ? 0 : static_cast<int>(left.count());
    }
    int n = ::poll(fds, stopFd >= 0 ? 2 : 1, wait);
    if (n < 0) {
      if (errno == EINTR) continue;
      return PollResult::FAILED;
    }
    // The stop descriptor wins: after a stop every call reports aborted, even when data is
    // waiting as well.
    if (stopFd >= 0 && (fds[1].revents & POLLIN)) return PollResult::STOPPED;
    if (n == 0) return PollResult::TIMEOUT;
    if (fds[0].revents) {
      if (revents) *revents = fds[0].revents;
      return PollResult::READY;
    }
  }
}

CUniqueFd OpenPublicLockFile(const std::string& path) {
  CUniqueFd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0644));
  if (fd.Valid()) fchmod(fd.Get(), 0644);
  return fd;
}

bool LockHeldElsewhere(const std::string& path) {
  CUniqueFd fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC));
  if (!fd.Valid()) return false;
  if (flock(fd.Get(), LOCK_SH | LOCK_NB) == 0) return false;
  return errno == EWOULDBLOCK;
}

std::string ParentDir(const std::string& path) {
  size_t cut = path.find_last_of('/');
  if (cut == std::string::npos) return ".";
  if (cut == 0) return "/";
  return path.substr(0, cut);
}

uint32_t PrepareEndpointDir(const std::string& dir) {
  errno = 0;
  if (!CPaths::EnsureDirectory(dir, 0755)) return ErrnoToSystemError(errno, ErrnoCall::MAKE_DIRECTORY);
  struct stat st;
  if (lstat(dir.c_str(), &st) != 0) return ErrnoToSystemError(errno);
  if (!S_ISDIR(st.st_mode)) return ERROR_CODE_ACCESS_DENIED;
  if (st.st_uid != geteuid() && st.st_uid != 0) return ERROR_CODE_ACCESS_DENIED;
  if ((st.st_mode & (S_IWGRP | S_IWOTH)) != 0) {
    // A folder others may write in would let them put their own endpoint in our place.
    if (st.st_uid != geteuid() || chmod(dir.c_str(), st.st_mode & 0755) != 0)
      return ERROR_CODE_ACCESS_DENIED;
  }
  return ERROR_CODE_SUCCESS;
}

uint32_t ListenLocal(const std::string& path, unsigned mode, int backlog, CUniqueFd* fd,
                     int type) {
  sockaddr_un addr;
  socklen_t len = 0;
  if (!MakeAddress(path, &addr, &len)) return ERROR_CODE_INVALID_PARAMETER;
  struct stat st;
  // Only a socket is ours to replace; anything else at that name is left alone.
  if (lstat(path.c_str(), &st) == 0 && !S_ISSOCK(st.st_mode)) return ERROR_CODE_ACCESS_DENIED;
  CUniqueFd sock(::socket(AF_UNIX, type | SOCK_NONBLOCK | SOCK_CLOEXEC, 0));
  if (!sock.Valid()) return ErrnoToSystemError(errno);
  // Bound and listening under a temporary name first, then renamed over the real one
  // (which also replaces a stale socket in one step). A name too long for the temporary
  // form is bound in place.
  std::string staged = path + ".~" + std::to_string(getpid());
  sockaddr_un stagedAddr;
  socklen_t stagedLen = 0;
  bool renamed = MakeAddress(staged, &stagedAddr, &stagedLen);
  if (!renamed) {
    staged = path;
    stagedAddr = addr;
    stagedLen = len;
    if (unlink(path.c_str()) != 0 && errno != ENOENT) return ErrnoToSystemError(errno);
  } else {
    unlink(staged.c_str());
  }
  if (::bind(sock.Get(), reinterpret_cast<const sockaddr*>(&stagedAddr), stagedLen) != 0)
    return ErrnoToSystemError(errno);
  if (chmod(staged.c_str(), mode) != 0 || ::listen(sock.Get(), backlog) != 0 ||
      (renamed && rename(staged.c_str(), path.c_str()) != 0)) {
    uint32_t error = ErrnoToSystemError(errno);
    unlink(staged.c_str());
    return error;
  }
  *fd = std::move(sock);
  return ERROR_CODE_SUCCESS;
}

int ConnectLocal(const std::string& path, bool nonBlocking, CUniqueFd* fd) {
  sockaddr_un addr;
  socklen_t len = 0;
  if (!MakeAddress(path, &addr, &len)) {
    errno = path.empty() ? ENOENT : ENAMETOOLONG;
    return -1;
  }
  int type = SOCK_SEQPACKET | SOCK_CLOEXEC | (nonBlocking ? SOCK_NONBLOCK : 0);
  CUniqueFd sock(::socket(AF_UNIX, type, 0));
  if (!sock.Valid()) return -1;
  // A local connect completes at once or fails (EAGAIN when the backlog is full).
  while (::connect(sock.Get(), reinterpret_cast<const sockaddr*>(&addr), len) != 0) {
    if (errno != EINTR) return -1;
  }
  *fd = std::move(sock);
  return 0;
}

}  // namespace kv
