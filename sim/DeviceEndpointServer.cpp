#include "sim/DeviceEndpointServer.h"

#include <poll.h>
#include <sys/eventfd.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <mutex>
#include <thread>
#include <vector>

#include "common/LittleEndian.h"
#include "common/SystemError.h"
#include "platform/DeviceEndpoint.h"
#include "platform/posix/ErrnoToSystemError.h"
#include "platform/posix/LocalSocket.h"
#include "platform/posix/UniqueFd.h"

namespace kv {

namespace {

constexpr int LISTEN_BACKLOG = 4;
constexpr int SEND_TIMEOUT_MS = 2000;

uint32_t SendMessage(int fd, const std::vector<uint8_t>& msg) {
  for (;;) {
    if (send(fd, msg.data(), msg.size(), MSG_NOSIGNAL) >= 0) return ERROR_CODE_SUCCESS;
    if (errno != EINTR) return ErrnoToSystemError(errno);
  }
}

}  // namespace

// The open handle as the replies see it: they may outlive it, so it is shared and closed
// under its own lock.
struct CDeviceEndpointServer::Connection {
  std::mutex m_mutex;
  CUniqueFd m_fd;

  uint32_t Send(const std::vector<uint8_t>& msg) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_fd.Valid()) return ERROR_CODE_INVALID_HANDLE;
    return SendMessage(m_fd.Get(), msg);
  }
  void Shutdown() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_fd.Valid()) shutdown(m_fd.Get(), SHUT_RDWR);
  }
  void Close() {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_fd.Reset();
  }
};

CDeviceEndpointServer::Reply::Reply(std::shared_ptr<Connection> connection, uint32_t callId,
                                    uint32_t outCapacity)
    : m_pConnection(std::move(connection)), m_uCallId(callId), m_uOutCapacity(outCapacity) {}

CDeviceEndpointServer::Reply::~Reply() {
  if (!m_bCompleted) Complete(ERROR_CODE_OPERATION_ABORTED);
}

uint32_t CDeviceEndpointServer::Reply::Complete(uint32_t error, std::span<const uint8_t> out) {
  std::lock_guard<std::mutex> lock(m_pConnection->m_mutex);
  if (m_bCompleted) return ERROR_CODE_INVALID_FUNCTION;
  m_bCompleted = true;
  if (!m_pConnection->m_fd.Valid()) return ERROR_CODE_INVALID_HANDLE;
  if (out.size() > m_uOutCapacity) out = out.first(m_uOutCapacity);
  return SendMessage(m_pConnection->m_fd.Get(), EncodeDeviceAnswer(m_uCallId, error, out));
}

struct CDeviceEndpointServer::Impl {
  std::string m_sPath;
  Handler* m_pHandler = nullptr;
  CUniqueFd m_owner;
  CUniqueFd m_listen;
  CUniqueFd m_wake;
  std::thread m_thread;
  std::atomic<bool> m_bStopping{false};
  mutable std::mutex m_mutex;
  std::shared_ptr<Connection> m_pCurrent;  // guarded by m_mutex; changed only by the thread

  void Run();
  void Accept();
  void Receive(std::vector<uint8_t>* buffer);
  void CloseCurrent();
};

void CDeviceEndpointServer::Impl::Run() {
  std::vector<uint8_t> buffer(DEVICE_REQUEST_HEADER_SIZE + DEVICE_MAX_DATA + 1);
  while (!m_bStopping) {
    std::shared_ptr<Connection> current;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      current = m_pCurrent;
    }
    // Only this thread closes the descriptor, so it stays valid for the poll.
    pollfd fds[3] = {{m_wake.Get(), POLLIN, 0}, {m_listen.Get(), POLLIN, 0}, {-1, POLLIN, 0}};
    if (current) fds[2].fd = current->m_fd.Get();
    if (poll(fds, 3, -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[0].revents & POLLIN) {
      uint64_t count = 0;
      [[maybe_unused]] ssize_t n = ::read(m_wake.Get(), &count, sizeof count);
      continue;
    }
    if (fds[2].revents) Receive(&buffer);
    if (fds[1].revents & POLLIN) Accept();
  }
  CloseCurrent();
}

void CDeviceEndpointServer::Impl::Accept() {
  CUniqueFd fd(accept4(m_listen.Get(), nullptr, nullptr, SOCK_CLOEXEC));
  if (!fd.Valid()) return;
  timeval tv{SEND_TIMEOUT_MS / 1000, (SEND_TIMEOUT_MS % 1000) * 1000};
  setsockopt(fd.Get(), SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_pCurrent) {
      SendMessage(fd.Get(), EncodeDeviceAnswer(DEVICE_OPEN_CALL_ID, ERROR_CODE_SHARING_VIOLATION, {}));
      return;
    }
    if (SendMessage(fd.Get(), EncodeDeviceAnswer(DEVICE_OPEN_CALL_ID, ERROR_CODE_SUCCESS, {})) != 0) return;
    m_pCurrent = std::make_shared<Connection>();
    m_pCurrent->m_fd = std::move(fd);
  }
  m_pHandler->OnOpen();
}

void CDeviceEndpointServer::Impl::Receive(std::vector<uint8_t>* buffer) {
  std::shared_ptr<Connection> current;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    current = m_pCurrent;
  }
  if (!current) return;
  // MSG_TRUNC reports a message's true length, so an oversized one cannot pass for a
  // shorter valid one.
  ssize_t n = recv(current->m_fd.Get(), buffer->data(), buffer->size(), MSG_DONTWAIT | MSG_TRUNC);
  if (n < 0 && (errno == EAGAIN || errno == EINTR)) return;
  if (n <= 0) {
    // n == 0 is an empty message only while the peer is still there.
    pollfd p{current->m_fd.Get(), POLLIN, 0};
    if (n == 0 && poll(&p, 1, 0) >= 0 && !(p.revents & (POLLHUP | POLLERR))) return;
    CloseCurrent();
    return;
  }
  size_t length = static_cast<size_t>(n);
  DeviceRequestFrame frame;
  bool valid = length <= buffer->size() && DecodeDeviceRequest(std::span(buffer->data(), length), &frame);
  if (!valid) {
    if (length >= 4) {
      current->Send(EncodeDeviceAnswer(ReadU32(buffer->data()), ERROR_CODE_INVALID_PARAMETER, {}));
    }
    return;
  }
  m_pHandler->OnRequest(frame.m_uCode, frame.m_in,
                        std::make_shared<Reply>(current, frame.m_uCallId, frame.m_uOutCapacity));
}

void CDeviceEndpointServer::Impl::CloseCurrent() {
  std::shared_ptr<Connection> current;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    current = std::move(m_pCurrent);
  }
  if (!current) return;
  current->Close();
  m_pHandler->OnClose();
}

CDeviceEndpointServer::CDeviceEndpointServer(const CPaths& paths, const std::string& windowsName,
                                             Handler* handler)
    : m_pImpl(std::make_unique<Impl>()) {
  m_pImpl->m_sPath = paths.DevicePath(windowsName);
  m_pImpl->m_pHandler = handler;
}

CDeviceEndpointServer::~CDeviceEndpointServer() { Stop(); }

uint32_t CDeviceEndpointServer::Start() {
  Impl& d = *m_pImpl;
  if (d.m_thread.joinable()) return ERROR_CODE_SUCCESS;
  if (d.m_sPath.empty() || d.m_sPath.back() == '/') return ERROR_CODE_INVALID_PARAMETER;
  if (uint32_t error = PrepareEndpointDir(ParentDir(d.m_sPath))) return error;
  CUniqueFd owner(OpenPublicLockFile(d.m_sPath + ".server"));
  if (!owner.Valid()) return ErrnoToSystemError(errno);
  if (flock(owner.Get(), LOCK_EX | LOCK_NB) != 0)
    return ErrnoToSystemError(errno, ErrnoCall::DEVICE_LOCK);
  CUniqueFd wake(eventfd(0, EFD_CLOEXEC | EFD_NONBLOCK));
  if (!wake.Valid()) return ErrnoToSystemError(errno);
  CUniqueFd listen;
  if (uint32_t error = ListenLocal(d.m_sPath, 0600, LISTEN_BACKLOG, &listen)) return error;
  d.m_owner = std::move(owner);
  d.m_wake = std::move(wake);
  d.m_listen = std::move(listen);
  d.m_bStopping = false;
  d.m_thread = std::thread([&d] { d.Run(); });
  return ERROR_CODE_SUCCESS;
}

void CDeviceEndpointServer::DropHandle() {
  std::lock_guard<std::mutex> lock(m_pImpl->m_mutex);
  // The peer sees the hang-up at once; the server's thread then finds it and closes.
  if (m_pImpl->m_pCurrent) m_pImpl->m_pCurrent->Shutdown();
}

void CDeviceEndpointServer::Stop() {
  Impl& d = *m_pImpl;
  if (!d.m_thread.joinable()) return;
  d.m_bStopping = true;
  uint64_t one = 1;
  [[maybe_unused]] ssize_t n = ::write(d.m_wake.Get(), &one, sizeof one);
  d.m_thread.join();
  unlink(d.m_sPath.c_str());
  d.m_listen.Reset();
  d.m_wake.Reset();
  d.m_owner.Reset();
}

bool CDeviceEndpointServer::HandleOpen() const {
  std::lock_guard<std::mutex> lock(m_pImpl->m_mutex);
  return m_pImpl->m_pCurrent != nullptr;
}

const std::string& CDeviceEndpointServer::Path() const { return m_pImpl->m_sPath; }

}  // namespace kv
