#include "platform/PipeServer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>

#include "common/SystemError.h"
#include "platform/Accounts.h"
#include "platform/posix/ErrnoToSystemError.h"
#include "platform/posix/LocalSocket.h"
#include "platform/posix/UniqueFd.h"

namespace kv {

namespace {

constexpr int LISTEN_BACKLOG = 8;

}  // namespace

struct CPipeServer::Impl {
  std::string m_sPath;
  CUniqueFd m_ownerLock;
  CUniqueFd m_listen;
  CUniqueFd m_client;
  CUniqueFd m_stop;
  std::atomic<bool> m_bStopped{false};
  bool m_bHaveGuest = false;
  uid_t m_guestUid = 0;
};

CPipeServer::CPipeServer(const CPaths& paths, const std::string& windowsName)
    : m_pImpl(std::make_unique<Impl>()) {
  m_pImpl->m_sPath = paths.PipePath(windowsName);
  m_pImpl->m_stop.Reset(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  const int64_t guest = GuestAccountUid();
  if (guest >= 0) {
    m_pImpl->m_bHaveGuest = true;
    m_pImpl->m_guestUid = static_cast<uid_t>(guest);
  }
}

CPipeServer::~CPipeServer() {
  if (m_pImpl->m_listen.Valid()) unlink(m_pImpl->m_sPath.c_str());
}

uint32_t CPipeServer::Create() {
  Impl& d = *m_pImpl;
  if (d.m_bStopped) return ERROR_CODE_OPERATION_ABORTED;
  if (!d.m_stop.Valid()) return ERROR_CODE_NOT_ENOUGH_MEMORY;
  if (d.m_listen.Valid()) return ERROR_CODE_SUCCESS;
  const std::string name = d.m_sPath.substr(d.m_sPath.find_last_of('/') + 1);
  if (name.empty()) return ERROR_CODE_INVALID_PARAMETER;
  if (uint32_t error = PrepareEndpointDir(ParentDir(d.m_sPath))) return error;

  CUniqueFd owner(OpenPublicLockFile(d.m_sPath + ".server"));
  if (!owner.Valid()) return ErrnoToSystemError(errno);
  if (flock(owner.Get(), LOCK_EX | LOCK_NB) != 0)
    return ErrnoToSystemError(errno, ErrnoCall::PIPE_LOCK);
  CUniqueFd slot(OpenPublicLockFile(d.m_sPath + ".client"));
  if (!slot.Valid()) return ErrnoToSystemError(errno);

  CUniqueFd listen;
  if (uint32_t error = ListenLocal(d.m_sPath, 0666, LISTEN_BACKLOG, &listen)) return error;
  d.m_ownerLock = std::move(owner);
  d.m_listen = std::move(listen);
  return ERROR_CODE_SUCCESS;
}

uint32_t CPipeServer::Connect(PeerCredentials* peer) {
  Impl& d = *m_pImpl;
  if (d.m_bStopped) return ERROR_CODE_OPERATION_ABORTED;
  if (!d.m_listen.Valid()) return ERROR_CODE_INVALID_HANDLE;
  d.m_client.Reset();
  for (;;) {
    switch (WaitReady(d.m_listen.Get(), POLLIN, d.m_stop.Get(), -1)) {
      case PollResult::STOPPED:
        return ERROR_CODE_OPERATION_ABORTED;
      case PollResult::FAILED:
        return ErrnoToSystemError(errno);
      case PollResult::TIMEOUT:
      case PollResult::READY:
        break;
    }
    CUniqueFd fd(accept4(d.m_listen.Get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
    if (!fd.Valid()) {
      // The client may have given up between poll and accept.
      if (errno == EAGAIN || errno == EINTR || errno == ECONNABORTED) continue;
      return ErrnoToSystemError(errno);
    }
    ucred cred{};
    socklen_t len = sizeof cred;
    if (getsockopt(fd.Get(), SOL_SOCKET, SO_PEERCRED, &cred, &len) != 0) continue;
    if (d.m_bHaveGuest && cred.uid == d.m_guestUid) continue;
    if (peer) {
      peer->m_uUid = cred.uid;
      peer->m_uGid = cred.gid;
      peer->m_uPid = static_cast<uint32_t>(cred.pid);
    }
    d.m_client = std::move(fd);
    return ERROR_CODE_SUCCESS;
  }
}

uint32_t CPipeServer::Read(uint8_t* buffer, size_t capacity, size_t* read, int timeoutMs) {
  Impl& d = *m_pImpl;
  if (read) *read = 0;
  if (d.m_bStopped) return ERROR_CODE_OPERATION_ABORTED;
  if (!d.m_client.Valid()) return ERROR_CODE_PIPE_NOT_CONNECTED;
  for (;;) {
    switch (WaitReady(d.m_client.Get(), POLLIN, d.m_stop.Get(), timeoutMs)) {
      case PollResult::STOPPED:
        return ERROR_CODE_OPERATION_ABORTED;
      case PollResult::TIMEOUT:
        return ERROR_CODE_TIMEOUT;
      case PollResult::FAILED:
        return ErrnoToSystemError(errno);
      case PollResult::READY:
        break;
    }
    // A longer message is cut at capacity, as a byte-mode read of that size would return.
    ssize_t n = recv(d.m_client.Get(), buffer, capacity, MSG_DONTWAIT);
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR) continue;
      return ErrnoToSystemError(errno);
    }
    if (read) *read = static_cast<size_t>(n);
    return ERROR_CODE_SUCCESS;
  }
}

uint32_t CPipeServer::Write(const uint8_t* data, size_t length) {
  Impl& d = *m_pImpl;
  if (d.m_bStopped) return ERROR_CODE_OPERATION_ABORTED;
  if (!d.m_client.Valid()) return ERROR_CODE_PIPE_NOT_CONNECTED;
  for (;;) {
    ssize_t n = send(d.m_client.Get(), data, length, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n >= 0) return static_cast<size_t>(n) == length ? ERROR_CODE_SUCCESS : ERROR_CODE_GEN_FAILURE;
    if (errno == EINTR) continue;
    if (errno != EAGAIN) return ErrnoToSystemError(errno);
    switch (WaitReady(d.m_client.Get(), POLLOUT, d.m_stop.Get(), -1)) {
      case PollResult::STOPPED:
        return ERROR_CODE_OPERATION_ABORTED;
      case PollResult::FAILED:
        return ErrnoToSystemError(errno);
      case PollResult::TIMEOUT:
      case PollResult::READY:
        break;
    }
  }
}

void CPipeServer::Disconnect() { m_pImpl->m_client.Reset(); }

void CPipeServer::Stop() {
  m_pImpl->m_bStopped = true;
  uint64_t one = 1;
  // The counter is never read back, so the descriptor stays readable from now on.
  [[maybe_unused]] ssize_t n = ::write(m_pImpl->m_stop.Get(), &one, sizeof one);
}

bool CPipeServer::Stopped() const { return m_pImpl->m_bStopped; }

const std::string& CPipeServer::Path() const { return m_pImpl->m_sPath; }

}  // namespace kv
