#include "platform/PipeServer.h"

#include <windows.h>

#include <atomic>

#include "common/SystemError.h"
#include "platform/win32/OverlappedWait.h"
#include "platform/win32/PipeSecurity.h"

namespace kv {

namespace {

constexpr DWORD PIPE_DEFAULT_WAIT_MS = 1000;

}  // namespace

struct CPipeServer::Impl {
  std::string m_sPath;
  CPipeSecurity m_security;
  HANDLE m_hPipe = INVALID_HANDLE_VALUE;
  HANDLE m_hStop = nullptr;  // manual reset, set by Stop()
  HANDLE m_hIo = nullptr;    // manual reset, one per pipe
  std::atomic<bool> m_bStopped{false};
  bool m_bConnected = false;

  uint32_t Finish(OVERLAPPED* ov, BOOL started, int timeoutMs, DWORD* bytes) {
    DWORD error = started ? 0 : GetLastError();
    return FinishOverlapped(m_hPipe, ov, started, error, m_hStop, timeoutMs, bytes);
  }
  OVERLAPPED Fresh() {
    OVERLAPPED ov{};
    ResetEvent(m_hIo);
    ov.hEvent = m_hIo;
    return ov;
  }
};

CPipeServer::CPipeServer(const CPaths& paths, const std::string& windowsName)
    : m_pImpl(std::make_unique<Impl>()) {
  m_pImpl->m_sPath = paths.PipePath(windowsName);
  m_pImpl->m_hStop = CreateEventA(nullptr, TRUE, FALSE, nullptr);
  m_pImpl->m_hIo = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

CPipeServer::~CPipeServer() {
  Impl& d = *m_pImpl;
  if (d.m_hPipe != INVALID_HANDLE_VALUE) CloseHandle(d.m_hPipe);
  if (d.m_hIo) CloseHandle(d.m_hIo);
  if (d.m_hStop) CloseHandle(d.m_hStop);
}

uint32_t CPipeServer::Create() {
  Impl& d = *m_pImpl;
  if (d.m_bStopped) return ERROR_CODE_OPERATION_ABORTED;
  if (!d.m_hStop || !d.m_hIo) return ERROR_CODE_NOT_ENOUGH_MEMORY;
  if (d.m_hPipe != INVALID_HANDLE_VALUE) return ERROR_CODE_SUCCESS;
  if (uint32_t error = d.m_security.Build()) return error;
  // One instance: a second server of the name fails here, a second client sees pipe busy.
  HANDLE pipe = CreateNamedPipeA(d.m_sPath.c_str(),
                                 PIPE_ACCESS_DUPLEX | FILE_FLAG_OVERLAPPED | FILE_FLAG_FIRST_PIPE_INSTANCE,
                                 PIPE_TYPE_BYTE | PIPE_READMODE_BYTE | PIPE_WAIT, 1, 0, 0,
                                 PIPE_DEFAULT_WAIT_MS, d.m_security.Attributes());
  if (pipe == INVALID_HANDLE_VALUE) {
    DWORD error = GetLastError();
    return error == ERROR_ACCESS_DENIED ? ERROR_CODE_PIPE_BUSY : error;
  }
  d.m_hPipe = pipe;
  return ERROR_CODE_SUCCESS;
}

uint32_t CPipeServer::Connect(PeerCredentials* peer) {
  Impl& d = *m_pImpl;
  if (d.m_bStopped) return ERROR_CODE_OPERATION_ABORTED;
  if (d.m_hPipe == INVALID_HANDLE_VALUE) return ERROR_CODE_INVALID_HANDLE;
  Disconnect();
  OVERLAPPED ov = d.Fresh();
  BOOL started = ConnectNamedPipe(d.m_hPipe, &ov);
  DWORD error = started ? 0 : GetLastError();
  DWORD bytes = 0;
  uint32_t rc = ERROR_CODE_SUCCESS;
  // A client that came between Create/Disconnect and this call is connected already.
  if (!started && error != ERROR_PIPE_CONNECTED)
    rc = FinishOverlapped(d.m_hPipe, &ov, FALSE, error, d.m_hStop, -1, &bytes);
  if (rc != ERROR_CODE_SUCCESS) return rc;
  d.m_bConnected = true;
  if (peer) {
    ULONG pid = 0;
    *peer = PeerCredentials{};
    if (GetNamedPipeClientProcessId(d.m_hPipe, &pid)) peer->m_uPid = pid;
  }
  return ERROR_CODE_SUCCESS;
}

uint32_t CPipeServer::Read(uint8_t* buffer, size_t capacity, size_t* read, int timeoutMs) {
  Impl& d = *m_pImpl;
  if (read) *read = 0;
  if (d.m_bStopped) return ERROR_CODE_OPERATION_ABORTED;
  if (!d.m_bConnected) return ERROR_CODE_PIPE_NOT_CONNECTED;
  OVERLAPPED ov = d.Fresh();
  DWORD bytes = 0;
  BOOL started = ReadFile(d.m_hPipe, buffer, static_cast<DWORD>(capacity), nullptr, &ov);
  uint32_t rc = d.Finish(&ov, started, timeoutMs, &bytes);
  // A client that closed without sending reads as an empty message.
  if (rc == ERROR_BROKEN_PIPE || rc == ERROR_PIPE_NOT_CONNECTED) rc = ERROR_CODE_SUCCESS, bytes = 0;
  if (read) *read = bytes;
  return rc;
}

uint32_t CPipeServer::Write(const uint8_t* data, size_t length) {
  Impl& d = *m_pImpl;
  if (d.m_bStopped) return ERROR_CODE_OPERATION_ABORTED;
  if (!d.m_bConnected) return ERROR_CODE_PIPE_NOT_CONNECTED;
  OVERLAPPED ov = d.Fresh();
  DWORD bytes = 0;
  BOOL started = WriteFile(d.m_hPipe, data, static_cast<DWORD>(length), nullptr, &ov);
  uint32_t rc = d.Finish(&ov, started, -1, &bytes);
  if (rc == ERROR_CODE_SUCCESS && bytes != length) return ERROR_CODE_GEN_FAILURE;
  return rc;
}

void CPipeServer::Disconnect() {
  Impl& d = *m_pImpl;
  if (!d.m_bConnected) return;
  FlushFileBuffers(d.m_hPipe);
  DisconnectNamedPipe(d.m_hPipe);
  d.m_bConnected = false;
}

void CPipeServer::Stop() {
  m_pImpl->m_bStopped = true;
  if (m_pImpl->m_hStop) SetEvent(m_pImpl->m_hStop);
}

bool CPipeServer::Stopped() const { return m_pImpl->m_bStopped; }

const std::string& CPipeServer::Path() const { return m_pImpl->m_sPath; }

}  // namespace kv
