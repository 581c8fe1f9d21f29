#include "platform/DeviceEndpointIo.h"

#include <windows.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <thread>
#include <vector>

#include "common/SystemError.h"
#include "platform/DeviceEndpoint.h"
#include "platform/win32/OverlappedWait.h"

// On Windows the endpoint is a message-mode named pipe, PipePath of the device's name, with
// a single instance: one message per request or answer, as on the posix socket.

namespace kv {

namespace {

constexpr DWORD REOPEN_WAIT_MS = 250;

// One overlapped transfer on the pipe with an event of its own; a set stop event ends it.
uint32_t Transfer(HANDLE pipe, bool write, void* data, DWORD size, int timeoutMs, DWORD* bytes,
                  HANDLE stop = nullptr) {
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!done) return GetLastError();
  OVERLAPPED ov{};
  ov.hEvent = done;
  BOOL started = write ? WriteFile(pipe, data, size, nullptr, &ov) : ReadFile(pipe, data, size, nullptr, &ov);
  uint32_t rc = FinishOverlapped(pipe, &ov, started, started ? 0 : GetLastError(), stop, timeoutMs, bytes);
  CloseHandle(done);
  return rc;
}

class CPipeEndpointHandle final : public DeviceHandle {
 public:
  CPipeEndpointHandle(HANDLE pipe, int callTimeoutMs)
      : m_hPipe(pipe), m_hClosing(CreateEventA(nullptr, TRUE, FALSE, nullptr)), m_iCallTimeoutMs(callTimeoutMs) {
    m_reader = std::thread([this] { ReadAnswers(); });
  }

  ~CPipeEndpointHandle() override {
    std::unique_lock<std::mutex> lock(m_mutex);
    m_bClosing = true;
    for (auto& [id, call] : m_pending) Finish(call, ERROR_CODE_OPERATION_ABORTED);
    m_pending.clear();
    m_cv.notify_all();
    lock.unlock();
    // Stays set: it ends the reader's read in flight and any read it starts after this.
    SetEvent(m_hClosing);
    CancelIoEx(m_hPipe, nullptr);  // a stuck write too
    lock.lock();
    m_cv.wait(lock, [this] { return m_iInFlight == 0; });
    lock.unlock();
    m_reader.join();
    CloseHandle(m_hPipe);
    CloseHandle(m_hClosing);
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

  uint32_t Register(PendingCall* call, uint32_t* id) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bClosing) return ERROR_CODE_OPERATION_ABORTED;
    if (m_uDeadError) return m_uDeadError;
    do {
      *id = ++m_uLastId;
    } while (*id == DEVICE_OPEN_CALL_ID || m_pending.count(*id));
    m_pending[*id] = call;
    ++m_iInFlight;
    return ERROR_CODE_SUCCESS;
  }

  uint32_t Call(uint32_t code, std::span<const uint8_t> in, std::span<uint8_t> out, uint32_t* returned,
                bool overlapped) {
    if (returned) *returned = 0;
    if (in.size() > DEVICE_MAX_DATA || out.size() > DEVICE_MAX_DATA) return ERROR_CODE_INVALID_PARAMETER;
    PendingCall call;
    call.m_out = out;
    call.m_bOverlapped = overlapped;
    uint32_t id = 0;
    if (uint32_t rc = Register(&call, &id)) return rc;
    auto message = EncodeDeviceRequest(id, code, static_cast<uint32_t>(out.size()), in);
    uint32_t sendError;
    {
      std::lock_guard<std::mutex> lock(m_sendMutex);
      DWORD written = 0;
      sendError = Transfer(m_hPipe, true, message.data(), static_cast<DWORD>(message.size()), m_iCallTimeoutMs,
                           &written);
      if (sendError == ERROR_CODE_SUCCESS && written != message.size()) sendError = ERROR_CODE_GEN_FAILURE;
      if (sendError == ERROR_BROKEN_PIPE || sendError == ERROR_NO_DATA) sendError = ERROR_CODE_DEVICE_NOT_CONNECTED;
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

  void Deliver(const uint8_t* data, size_t length, bool whole) {
    DeviceAnswerFrame frame;
    bool valid = whole && DecodeDeviceAnswer(std::span(data, length), &frame);
    if (length < 4) return;
    if (!valid) frame.m_uCallId = data[0] | (data[1] << 8) | (data[2] << 16) | (static_cast<uint32_t>(data[3]) << 24);
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_pending.find(frame.m_uCallId);
    if (it == m_pending.end()) return;  // cancelled, timed out, or not ours
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

  void ReadAnswers() {
    std::vector<uint8_t> buffer(DEVICE_ANSWER_HEADER_SIZE + DEVICE_MAX_DATA);
    for (;;) {
      DWORD n = 0;
      uint32_t rc = Transfer(m_hPipe, false, buffer.data(), static_cast<DWORD>(buffer.size()), -1, &n, m_hClosing);
      if (rc == ERROR_MORE_DATA) {
        // Too long to be an answer: drain the rest of the message, then fail its call.
        std::vector<uint8_t> rest(4096);
        DWORD more = 0;
        while (Transfer(m_hPipe, false, rest.data(), static_cast<DWORD>(rest.size()), -1, &more, m_hClosing) ==
               ERROR_MORE_DATA) {
        }
        Deliver(buffer.data(), n, false);
        continue;
      }
      if (rc != ERROR_CODE_SUCCESS || n == 0) break;
      Deliver(buffer.data(), n, true);
    }
    std::lock_guard<std::mutex> lock(m_mutex);
    uint32_t error = m_bClosing ? ERROR_CODE_OPERATION_ABORTED : ERROR_CODE_DEVICE_NOT_CONNECTED;
    m_uDeadError = error;
    for (auto& [id, call] : m_pending) Finish(call, error);
    m_pending.clear();
    m_cv.notify_all();
  }

  HANDLE m_hPipe;
  HANDLE m_hClosing;  // manual reset, set once by the destructor
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
  if (windowsName.empty()) return ERROR_CODE_FILE_NOT_FOUND;
  const std::string path = m_paths.PipePath(m_paths.DevicePath(windowsName));
  HANDLE pipe = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED, nullptr);
  // A handle closed just now leaves the instance busy until the stand-in listens again,
  // where a device would be free at once: give it that moment before calling it taken.
  DWORD error = pipe == INVALID_HANDLE_VALUE ? GetLastError() : 0;
  if (error == ERROR_PIPE_BUSY && WaitNamedPipeA(path.c_str(), REOPEN_WAIT_MS)) {
    pipe = CreateFileA(path.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING, FILE_FLAG_OVERLAPPED,
                       nullptr);
    if (pipe == INVALID_HANDLE_VALUE) error = GetLastError();
  }
  if (pipe == INVALID_HANDLE_VALUE) {
    // The one instance is taken: another handle has the device open.
    return error == ERROR_PIPE_BUSY ? ERROR_CODE_SHARING_VIOLATION : error;
  }
  DWORD mode = PIPE_READMODE_MESSAGE;
  uint8_t message[DEVICE_ANSWER_HEADER_SIZE + 1];
  DWORD n = 0;
  uint32_t rc = SetNamedPipeHandleState(pipe, &mode, nullptr, nullptr) ? ERROR_CODE_SUCCESS : GetLastError();
  if (rc == ERROR_CODE_SUCCESS) rc = Transfer(pipe, false, message, sizeof message, m_iCallTimeoutMs, &n);
  DeviceAnswerFrame frame;
  if (rc == ERROR_MORE_DATA ||
      (rc == ERROR_CODE_SUCCESS && (!DecodeDeviceAnswer(std::span<const uint8_t>(message, n), &frame) ||
                                    frame.m_uCallId != DEVICE_OPEN_CALL_ID || !frame.m_out.empty())))
    rc = ERROR_CODE_INVALID_DATA;
  else if (rc == ERROR_BROKEN_PIPE)
    rc = ERROR_CODE_FILE_NOT_FOUND;
  else if (rc == ERROR_CODE_SUCCESS)
    rc = frame.m_uError;
  if (rc != ERROR_CODE_SUCCESS) {
    CloseHandle(pipe);
    return rc;
  }
  *handle = std::make_unique<CPipeEndpointHandle>(pipe, m_iCallTimeoutMs);
  return ERROR_CODE_SUCCESS;
}

}  // namespace kv
