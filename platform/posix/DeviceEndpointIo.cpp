#include "platform/DeviceEndpointIo.h"

#include <poll.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "common/SystemError.h"
#include "platform/DeviceEndpoint.h"
#include "platform/posix/ErrnoToSystemError.h"
#include "platform/posix/LocalSocket.h"
#include "platform/posix/UniqueFd.h"

namespace kv {

namespace {

class CEndpointHandle final : public DeviceHandle {
 public:
  CEndpointHandle(CUniqueFd fd, int callTimeoutMs) : m_fd(std::move(fd)), m_iCallTimeoutMs(callTimeoutMs) {
    m_reader = std::thread([this] { ReadAnswers(); });
  }

  ~CEndpointHandle() override {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_bClosing = true;
    for (auto& [id, call] : m_pending) Finish(call, ERROR_CODE_OPERATION_ABORTED);
    m_pending.clear();
    m_cv.notify_all();
    lock.unlock();
    // Also wakes a send that is stuck on a full socket.
    shutdown(m_fd.Get(), SHUT_RDWR);
    lock.lock();
    // A call may still be on its way out of another thread; it must not touch us after this.
    m_cv.wait(lock, [this] { return m_iInFlight == 0; });
    lock.unlock();
    m_reader.join();
  }

  uint32_t Control(uint32_t code, std::span<const uint8_t> in, std::span<uint8_t> out,
                   uint32_t* returned) override {
    return Call(code, in, out, returned, false);
  }

  uint32_t ControlOverlapped(uint32_t code, std::span<const uint8_t> in, std::span<uint8_t> out,
                             uint32_t* returned) override {
    return Call(code, in, out, returned, true);
  }

  void CancelOverlapped() override {
    std::lock_guard<std::mutex> lock(m_mutex);
    for (auto it = m_pending.begin(); it != m_pending.end();) {
      if (it->second->m_bOverlapped) {
        Finish(it->second, ERROR_CODE_OPERATION_ABORTED);
        it = m_pending.erase(it);
      } else {
        ++it;
      }
    }
    m_cv.notify_all();
  }

 private:
  struct PendingCall {
    std::span<uint8_t> m_out;
    bool m_bOverlapped = false;
    bool m_bDone = false;
    uint32_t m_uError = 0;
    uint32_t m_uReturned = 0;
  };

  static void Finish(PendingCall* call, uint32_t error) {
    call->m_bDone = true;
    call->m_uError = error;
    call->m_uReturned = 0;
  }

  uint32_t Call(uint32_t code, std::span<const uint8_t> in, std::span<uint8_t> out, uint32_t* returned,
                bool overlapped) {
    if (returned) *returned = 0;
    if (in.size() > DEVICE_MAX_DATA || out.size() > DEVICE_MAX_DATA) return ERROR_CODE_INVALID_PARAMETER;
    PendingCall call;
    call.m_out = out;
    call.m_bOverlapped = overlapped;
    uint32_t id = 0;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      if (m_bClosing) return ERROR_CODE_OPERATION_ABORTED;
      if (m_uDeadError) return m_uDeadError;
      do {
        id = ++m_uLastId;
      } while (id == DEVICE_OPEN_CALL_ID || m_pending.count(id));
      m_pending[id] = &call;
      ++m_iInFlight;
    }
    auto message = EncodeDeviceRequest(id, code, static_cast<uint32_t>(out.size()), in);
    uint32_t sendError = ERROR_CODE_SUCCESS;
    {
      std::lock_guard<std::mutex> lock(m_sendMutex);
      while (send(m_fd.Get(), message.data(), message.size(), MSG_NOSIGNAL) < 0) {
        if (errno == EINTR) continue;
        sendError = ErrnoToSystemError(errno, ErrnoCall::DEVICE_SEND);
        break;
      }
    }
    std::unique_lock<std::mutex> lock(m_mutex);
    if (sendError && !call.m_bDone) {
      m_pending.erase(id);
      Finish(&call, sendError);
    }
    auto done = [&call] { return call.m_bDone; };
    if (overlapped || m_iCallTimeoutMs < 0) {
      m_cv.wait(lock, done);
    } else if (!m_cv.wait_for(lock, std::chrono::milliseconds(m_iCallTimeoutMs), done)) {
      m_pending.erase(id);  // a late answer finds no call and is dropped
      Finish(&call, ERROR_CODE_TIMEOUT);
    }
    if (returned) *returned = call.m_uReturned;
    uint32_t error = call.m_uError;
    if (--m_iInFlight == 0) m_cv.notify_all();
    return error;
  }

  void ReadAnswers() {
    std::vector<uint8_t> buffer(DEVICE_ANSWER_HEADER_SIZE + DEVICE_MAX_DATA + 1);
    for (;;) {
      ssize_t n = recv(m_fd.Get(), buffer.data(), buffer.size(), MSG_TRUNC);
      if (n < 0 && errno == EINTR) continue;
      if (n <= 0) break;  // an empty message is not ours to send; treat like the hang-up
      size_t length = static_cast<size_t>(n);
      DeviceAnswerFrame frame;
      bool valid = length <= buffer.size() && DecodeDeviceAnswer(std::span(buffer.data(), length), &frame);
      if (length < 4) continue;
      std::lock_guard<std::mutex> lock(m_mutex);
      auto it = m_pending.find(frame.m_uCallId);
      if (it == m_pending.end()) continue;  // cancelled, timed out, or not ours
      PendingCall* call = it->second;
      m_pending.erase(it);
      if (!valid || frame.m_out.size() > call->m_out.size()) {
        Finish(call, ERROR_CODE_INVALID_DATA);
      } else {
        std::copy(frame.m_out.begin(), frame.m_out.end(), call->m_out.begin());
        call->m_bDone = true;
        call->m_uError = frame.m_uError;
        call->m_uReturned = static_cast<uint32_t>(frame.m_out.size());
      }
      m_cv.notify_all();
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    uint32_t error = m_bClosing ? ERROR_CODE_OPERATION_ABORTED : ERROR_CODE_DEVICE_NOT_CONNECTED;
    m_uDeadError = error;
    for (auto& [id, call] : m_pending) Finish(call, error);
    m_pending.clear();
    m_cv.notify_all();
  }

  CUniqueFd m_fd;
  int m_iCallTimeoutMs;
  std::thread m_reader;
  std::mutex m_sendMutex;
  std::mutex m_mutex;
  std::condition_variable m_cv;
  std::map<uint32_t, PendingCall*> m_pending;
  uint32_t m_uLastId = 0;
  uint32_t m_uDeadError = 0;
  bool m_bClosing = false;
  int m_iInFlight = 0;
};

}  // namespace

CDeviceEndpointIo::CDeviceEndpointIo(const CPaths& paths, int callTimeoutMs)
    : m_paths(paths), m_iCallTimeoutMs(callTimeoutMs) {}

uint32_t CDeviceEndpointIo::Open(const std::string& windowsName, std::unique_ptr<DeviceHandle>* handle) {
  handle->reset();
  const std::string path = m_paths.DevicePath(windowsName);
  if (path.empty() || path.back() == '/') return ERROR_CODE_FILE_NOT_FOUND;
  CUniqueFd fd;
  if (ConnectLocal(path, false, &fd) != 0) return ErrnoToSystemError(errno, ErrnoCall::DEVICE_CONNECT);
  switch (WaitReady(fd.Get(), POLLIN, -1, m_iCallTimeoutMs)) {
    case PollResult::TIMEOUT:
      return ERROR_CODE_TIMEOUT;
    case PollResult::FAILED:
      return ErrnoToSystemError(errno);
    case PollResult::STOPPED:
    case PollResult::READY:
      break;
  }
  uint8_t message[DEVICE_ANSWER_HEADER_SIZE + 1];
  ssize_t n = recv(fd.Get(), message, sizeof message, MSG_DONTWAIT | MSG_TRUNC);
  if (n <= 0) return n == 0 ? ERROR_CODE_FILE_NOT_FOUND : ErrnoToSystemError(errno);
  DeviceAnswerFrame frame;
  if (static_cast<size_t>(n) > sizeof message ||
      !DecodeDeviceAnswer(std::span<const uint8_t>(message, static_cast<size_t>(n)), &frame) ||
      frame.m_uCallId != DEVICE_OPEN_CALL_ID || !frame.m_out.empty())
    return ERROR_CODE_INVALID_DATA;
  if (frame.m_uError != ERROR_CODE_SUCCESS) return frame.m_uError;
  // Bounds every send: a peer that stops reading must not hang a caller for good.
  if (m_iCallTimeoutMs >= 0) {
    timeval tv{m_iCallTimeoutMs / 1000, (m_iCallTimeoutMs % 1000) * 1000};
    setsockopt(fd.Get(), SOL_SOCKET, SO_SNDTIMEO, &tv, sizeof tv);
  }
  *handle = std::make_unique<CEndpointHandle>(std::move(fd), m_iCallTimeoutMs);
  return ERROR_CODE_SUCCESS;
}

}  // namespace kv
