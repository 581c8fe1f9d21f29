#include "sim/DeviceEndpointServer.h"

#include <windows.h>

#include <atomic>
#include <mutex>
#include <thread>
#include <vector>

#include "common/LittleEndian.h"
#include "common/SystemError.h"
#include "platform/DeviceEndpoint.h"
#include "platform/win32/OverlappedWait.h"

// The endpoint on Windows: a message-mode named pipe with one instance, PipePath of the
// device's name. A second opener finds the instance taken (pipe busy), which the client
// reports as the sharing violation a device opened without sharing gives.

namespace kv {

namespace {

constexpr int SEND_TIMEOUT_MS = 2000;

uint32_t WriteMessage(HANDLE pipe, const std::vector<uint8_t>& msg) {
  HANDLE done = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!done) return GetLastError();
  OVERLAPPED ov{};
  ov.hEvent = done;
  BOOL started = WriteFile(pipe, msg.data(), static_cast<DWORD>(msg.size()), nullptr, &ov);
  DWORD bytes = 0;
  uint32_t rc = FinishOverlapped(pipe, &ov, started, started ? 0 : GetLastError(), nullptr, SEND_TIMEOUT_MS, &bytes);
  CloseHandle(done);
  return rc;
}

}  // namespace

// The open handle as the replies see it: they may outlive it, so it is shared and closed
// under its own lock.
struct CDeviceEndpointServer::Connection {
  std::mutex m_mutex;
  HANDLE m_hPipe = INVALID_HANDLE_VALUE;
  bool m_bOpen = false;

  uint32_t Send(const std::vector<uint8_t>& msg) {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (!m_bOpen) return ERROR_CODE_INVALID_HANDLE;
    return WriteMessage(m_hPipe, msg);
  }
  void Close() {
    std::lock_guard<std::mutex> lock(m_mutex);
    if (m_bOpen) DisconnectNamedPipe(m_hPipe);  // the peer sees the hang-up at once
    m_bOpen = false;
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
  if (!m_pConnection->m_bOpen) return ERROR_CODE_INVALID_HANDLE;
  if (out.size() > m_uOutCapacity) out = out.first(m_uOutCapacity);
  return WriteMessage(m_pConnection->m_hPipe, EncodeDeviceAnswer(m_uCallId, error, out));
}

struct CDeviceEndpointServer::Impl {
  std::string m_sPath;
  Handler* m_pHandler = nullptr;
  HANDLE m_hPipe = INVALID_HANDLE_VALUE;
  HANDLE m_hWake = nullptr;
  HANDLE m_hIo = nullptr;
  std::thread m_thread;
  std::atomic<bool> m_bStopping{false};
  mutable std::mutex m_mutex;
  std::shared_ptr<Connection> m_pCurrent;  // guarded by m_mutex; changed only by the thread

  void Run();
  bool Accept();
  void Serve(const std::shared_ptr<Connection>& current);
  void Dispatch(const std::shared_ptr<Connection>& current, const uint8_t* data, size_t length, bool whole);
  void CloseCurrent();
  uint32_t Wait(BOOL started, DWORD* bytes, OVERLAPPED* ov) {
    return FinishOverlapped(m_hPipe, ov, started, started ? 0 : GetLastError(), m_hWake, -1, bytes);
  }
};

void CDeviceEndpointServer::Impl::Run() {
  while (!m_bStopping) {
    if (!Accept()) continue;
    std::shared_ptr<Connection> current;
    {
      std::lock_guard<std::mutex> lock(m_mutex);
      current = m_pCurrent;
    }
    if (current) Serve(current);
    CloseCurrent();
  }
}

bool CDeviceEndpointServer::Impl::Accept() {
  OVERLAPPED ov{};
  ResetEvent(m_hIo);
  ov.hEvent = m_hIo;
  BOOL started = ConnectNamedPipe(m_hPipe, &ov);
  DWORD error = started ? 0 : GetLastError();
  DWORD bytes = 0;
  if (!started && error != ERROR_PIPE_CONNECTED &&
      FinishOverlapped(m_hPipe, &ov, FALSE, error, m_hWake, -1, &bytes) != ERROR_CODE_SUCCESS) {
    DisconnectNamedPipe(m_hPipe);
    return false;
  }
  auto connection = std::make_shared<Connection>();
  connection->m_hPipe = m_hPipe;
  connection->m_bOpen = true;
  if (connection->Send(EncodeDeviceAnswer(DEVICE_OPEN_CALL_ID, ERROR_CODE_SUCCESS, {})) != 0) {
    DisconnectNamedPipe(m_hPipe);
    return false;
  }
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_pCurrent = connection;
  }
  m_pHandler->OnOpen();
  return true;
}

void CDeviceEndpointServer::Impl::Serve(const std::shared_ptr<Connection>& current) {
  std::vector<uint8_t> buffer(DEVICE_REQUEST_HEADER_SIZE + DEVICE_MAX_DATA);
  while (!m_bStopping) {
    OVERLAPPED ov{};
    ResetEvent(m_hIo);
    ov.hEvent = m_hIo;
    DWORD n = 0;
    uint32_t rc = Wait(ReadFile(m_hPipe, buffer.data(), static_cast<DWORD>(buffer.size()), nullptr, &ov), &n, &ov);
    if (rc == ERROR_MORE_DATA) {
      // Longer than any valid request: drain it, then refuse it by its call id.
      std::vector<uint8_t> rest(4096);
      DWORD more = 0;
      uint32_t drained;
      do {
        OVERLAPPED again{};
        ResetEvent(m_hIo);
        again.hEvent = m_hIo;
        drained = Wait(ReadFile(m_hPipe, rest.data(), static_cast<DWORD>(rest.size()), nullptr, &again), &more, &again);
      } while (drained == ERROR_MORE_DATA);
      if (drained != ERROR_CODE_SUCCESS) return;
      Dispatch(current, buffer.data(), n, false);
      continue;
    }
    if (rc != ERROR_CODE_SUCCESS) return;  // hang-up, drop or stop
    Dispatch(current, buffer.data(), n, true);
  }
}

void CDeviceEndpointServer::Impl::Dispatch(const std::shared_ptr<Connection>& current, const uint8_t* data,
                                           size_t length, bool whole) {
  DeviceRequestFrame frame;
  if (!whole || !DecodeDeviceRequest(std::span(data, length), &frame)) {
    if (length >= 4) current->Send(EncodeDeviceAnswer(ReadU32(data), ERROR_CODE_INVALID_PARAMETER, {}));
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
  m_pImpl->m_sPath = paths.PipePath(paths.DevicePath(windowsName));
  m_pImpl->m_pHandler = handler;
}

CDeviceEndpointServer::~CDeviceEndpointServer() { Stop(); }

uint32_t CDeviceEndpointServer::Start() {
  Impl& d = *m_pImpl;
  if (d.m_thread.joinable()) return ERROR_CODE_SUCCESS;
  HANDLE pipe = CreateNamedPipeA(d.m_sPath.c_str(),
                                 PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                 PIPE_TYPE_MESSAGE | PIPE_READMODE_MESSAGE | PIPE_WAIT, 1, 0, 0, 0, nullptr);
  if (pipe == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    // A live server holds the name.
    return error == ERROR_ACCESS_DENIED || error == ERROR_PIPE_BUSY ? ERROR_CODE_SHARING_VIOLATION : error;
  }
  d.m_hPipe = pipe;
  d.m_hWake = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  d.m_hIo = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  if (!d.m_hWake || !d.m_hIo) {
    uint32_t error = GetLastError();
    Stop();
    return error;
  }
  d.m_bStopping = false;
  d.m_thread = std::thread([&d] { d.Run(); });
  return ERROR_CODE_SUCCESS;
}

void CDeviceEndpointServer::DropHandle() {
  std::lock_guard<std::mutex> lock(m_pImpl->m_mutex);
  // The server's thread sees its read fail and closes the handle.
  if (m_pImpl->m_pCurrent) m_pImpl->m_pCurrent->Close();
}

void CDeviceEndpointServer::Stop() {
  Impl& d = *m_pImpl;
  if (d.m_thread.joinable()) {
    d.m_bStopping = true;
    SetEvent(d.m_hWake);
    d.m_thread.join();
  }
  if (d.m_hPipe != INVALID_HANDLE_VALUE) CloseHandle(d.m_hPipe);
  if (d.m_hWake) CloseHandle(d.m_hWake);
  if (d.m_hIo) CloseHandle(d.m_hIo);
  d.m_hPipe = INVALID_HANDLE_VALUE;
  d.m_hWake = d.m_hIo = nullptr;
}

bool CDeviceEndpointServer::HandleOpen() const {
  std::lock_guard<std::mutex> lock(m_pImpl->m_mutex);
  return m_pImpl->m_pCurrent != nullptr;
}

const std::string& CDeviceEndpointServer::Path() const { return m_pImpl->m_sPath; }

}  // namespace kv
