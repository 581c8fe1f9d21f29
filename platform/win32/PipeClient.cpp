#include "platform/PipeClient.h"

#include <windows.h>

#include "common/SystemError.h"
#include "platform/win32/OverlappedWait.h"

namespace kv {

namespace {

// The codes the callers know, whatever the pipe's state said it with.
uint32_t ClientError(uint32_t error) {
  switch (error) {
    case ERROR_PIPE_NOT_CONNECTED:
    case ERROR_NO_DATA:
      return ERROR_CODE_BROKEN_PIPE;
    case ERROR_SEM_TIMEOUT:
      return ERROR_CODE_TIMEOUT;
    default:
      return error;
  }
}

}  // namespace

struct CPipeClient::Impl {
  std::string m_sPath;
  HANDLE m_hPipe = INVALID_HANDLE_VALUE;
  HANDLE m_hIo = nullptr;
};

CPipeClient::CPipeClient(const CPaths& paths, const std::string& windowsName)
    : m_pImpl(std::make_unique<Impl>()) {
  m_pImpl->m_sPath = paths.PipePath(windowsName);
  m_pImpl->m_hIo = CreateEventA(nullptr, TRUE, FALSE, nullptr);
}

CPipeClient::~CPipeClient() {
  Close();
  if (m_pImpl->m_hIo) CloseHandle(m_pImpl->m_hIo);
}

uint32_t CPipeClient::Open() {
  Impl& d = *m_pImpl;
  Close();
  if (!d.m_hIo) return ERROR_CODE_NOT_ENOUGH_MEMORY;
  HANDLE pipe = CreateFileA(d.m_sPath.c_str(), GENERIC_READ | GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                            FILE_FLAG_OVERLAPPED, nullptr);
  if (pipe == INVALID_HANDLE_VALUE) return ClientError(GetLastError());
  d.m_hPipe = pipe;
  return ERROR_CODE_SUCCESS;
}

uint32_t CPipeClient::WaitForServer(int timeoutMs) {
  // 0 would mean the pipe's default time-out to WaitNamedPipe.
  DWORD wait = timeoutMs < 0 ? NMPWAIT_WAIT_FOREVER : static_cast<DWORD>(timeoutMs == 0 ? 1 : timeoutMs);
  if (WaitNamedPipeA(m_pImpl->m_sPath.c_str(), wait)) return ERROR_CODE_SUCCESS;
  return ClientError(GetLastError());
}

uint32_t CPipeClient::Write(const uint8_t* data, size_t length, size_t* written) {
  Impl& d = *m_pImpl;
  if (written) *written = 0;
  if (d.m_hPipe == INVALID_HANDLE_VALUE) return ERROR_CODE_INVALID_HANDLE;
  OVERLAPPED ov{};
  ResetEvent(d.m_hIo);
  ov.hEvent = d.m_hIo;
  BOOL started = WriteFile(d.m_hPipe, data, static_cast<DWORD>(length), nullptr, &ov);
  DWORD bytes = 0;
  uint32_t rc = FinishOverlapped(d.m_hPipe, &ov, started, started ? 0 : GetLastError(), nullptr, -1, &bytes);
  if (written) *written = bytes;
  return ClientError(rc);
}

uint32_t CPipeClient::Read(uint8_t* buffer, size_t capacity, size_t* read, int timeoutMs) {
  Impl& d = *m_pImpl;
  if (read) *read = 0;
  if (d.m_hPipe == INVALID_HANDLE_VALUE) return ERROR_CODE_INVALID_HANDLE;
  OVERLAPPED ov{};
  ResetEvent(d.m_hIo);
  ov.hEvent = d.m_hIo;
  BOOL started = ReadFile(d.m_hPipe, buffer, static_cast<DWORD>(capacity), nullptr, &ov);
  DWORD bytes = 0;
  uint32_t rc = FinishOverlapped(d.m_hPipe, &ov, started, started ? 0 : GetLastError(), nullptr, timeoutMs, &bytes);
  if (read) *read = bytes;
  return ClientError(rc);
}

void CPipeClient::Close() {
  if (m_pImpl->m_hPipe != INVALID_HANDLE_VALUE) CloseHandle(m_pImpl->m_hPipe);
  m_pImpl->m_hPipe = INVALID_HANDLE_VALUE;
}

}  // namespace kv
