#include "platform/PipeClient.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

#include "common/SystemError.h"
#include "platform/posix/ErrnoToSystemError.h"
#include "platform/posix/LocalSocket.h"
#include "platform/posix/UniqueFd.h"

namespace kv {

struct CPipeClient::Impl {
  std::string m_sPath;
  CUniqueFd m_socket;
  CUniqueFd m_slot;  // the client lock, held while connected

  std::string OwnerLock() const { return m_sPath + ".server"; }
  std::string SlotLock() const { return m_sPath + ".client"; }
};

CPipeClient::CPipeClient(const CPaths& paths, const std::string& windowsName)
    : m_pImpl(std::make_unique<Impl>()) {
  m_pImpl->m_sPath = paths.PipePath(windowsName);
}

CPipeClient::~CPipeClient() = default;

uint32_t CPipeClient::Open() {
  Impl& d = *m_pImpl;
  Close();
  CUniqueFd slot(::open(d.SlotLock().c_str(), O_RDONLY | O_CLOEXEC));
  if (!slot.Valid()) return ErrnoToSystemError(errno);
  if (flock(slot.Get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno != EWOULDBLOCK) return ErrnoToSystemError(errno);
    return LockHeldElsewhere(d.OwnerLock()) ? ERROR_CODE_PIPE_BUSY : ERROR_CODE_FILE_NOT_FOUND;
  }
  CUniqueFd sock;
  if (ConnectLocal(d.m_sPath, true, &sock) != 0) {
    int err = errno;
    // A socket left behind by a crashed server refuses too; that pipe does not exist.
    if (err == ECONNREFUSED && !LockHeldElsewhere(d.OwnerLock())) return ERROR_CODE_FILE_NOT_FOUND;
    return ConnectErrnoToSystemError(err);
  }
  d.m_socket = std::move(sock);
  d.m_slot = std::move(slot);
  return ERROR_CODE_SUCCESS;
}

uint32_t CPipeClient::WaitForServer(int timeoutMs) {
  Impl& d = *m_pImpl;
  using Clock = std::chrono::steady_clock;
  const auto deadline = Clock::now() + std::chrono::milliseconds(timeoutMs < 0 ? 0 : timeoutMs);
  auto pause = std::chrono::microseconds(200);
  for (;;) {
    struct stat st;
    if (lstat(d.m_sPath.c_str(), &st) != 0 || !LockHeldElsewhere(d.OwnerLock()))
      return ERROR_CODE_FILE_NOT_FOUND;
    CUniqueFd slot(::open(d.SlotLock().c_str(), O_RDONLY | O_CLOEXEC));
    if (!slot.Valid()) return ErrnoToSystemError(errno);
    if (flock(slot.Get(), LOCK_EX | LOCK_NB) == 0) return ERROR_CODE_SUCCESS;  // closing frees it
    if (errno != EWOULDBLOCK) return ErrnoToSystemError(errno);
    auto now = Clock::now();
    if (timeoutMs >= 0 && now >= deadline) return ERROR_CODE_TIMEOUT;
    // There is no wake-up for a released flock; poll, quickly at first.
    auto sleep = pause;
    if (timeoutMs >= 0) sleep = std::min(sleep, std::chrono::duration_cast<std::chrono::microseconds>(deadline - now));
    std::this_thread::sleep_for(sleep);
    pause = std::min(pause * 2, std::chrono::microseconds(5000));
  }
}

uint32_t CPipeClient::Write(const uint8_t* data, size_t length, size_t* written) {
  Impl& d = *m_pImpl;
  if (written) *written = 0;
  if (!d.m_socket.Valid()) return ERROR_CODE_INVALID_HANDLE;
  for (;;) {
    ssize_t n = send(d.m_socket.Get(), data, length, MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n >= 0) {
      if (written) *written = static_cast<size_t>(n);
      return ERROR_CODE_SUCCESS;
    }
    if (errno == EINTR) continue;
    if (errno != EAGAIN) return ErrnoToSystemError(errno);
    if (WaitReady(d.m_socket.Get(), POLLOUT, -1, -1) == PollResult::FAILED)
      return ErrnoToSystemError(errno);
  }
}

uint32_t CPipeClient::Read(uint8_t* buffer, size_t capacity, size_t* read, int timeoutMs) {
  Impl& d = *m_pImpl;
  if (read) *read = 0;
  if (!d.m_socket.Valid()) return ERROR_CODE_INVALID_HANDLE;
  for (;;) {
    short revents = 0;
    switch (WaitReady(d.m_socket.Get(), POLLIN, -1, timeoutMs, &revents)) {
      case PollResult::TIMEOUT:
        return ERROR_CODE_TIMEOUT;
      case PollResult::FAILED:
        return ErrnoToSystemError(errno);
      case PollResult::STOPPED:
      case PollResult::READY:
        break;
    }
    ssize_t n = recv(d.m_socket.Get(), buffer, capacity, MSG_DONTWAIT);
    if (n < 0) {
      if (errno == EAGAIN || errno == EINTR) continue;
      return ErrnoToSystemError(errno);
    }
    // Our servers never send an empty message, so nothing with a hang-up is the server
    // having closed the pipe without an answer.
    if (n == 0 && (revents & POLLHUP)) return ERROR_CODE_BROKEN_PIPE;
    if (read) *read = static_cast<size_t>(n);
    return ERROR_CODE_SUCCESS;
  }
}

void CPipeClient::Close() {
  m_pImpl->m_socket.Reset();
  m_pImpl->m_slot.Reset();
}

}  // namespace kv
