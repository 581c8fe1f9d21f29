#include "platform/NamedMutex.h"

#include <windows.h>

#include "common/SystemError.h"
#include "platform/win32/KernelObjectName.h"

namespace kv {

CNamedMutex::~CNamedMutex() { Close(); }

uint32_t CNamedMutex::Create(const CPaths& paths, const std::string& name) {
  Close();
  HANDLE mutex = CreateMutexA(nullptr, FALSE, KernelObjectName(paths, name).c_str());
  if (!mutex) return GetLastError();
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(mutex);
    return ERROR_CODE_ALREADY_EXISTS;
  }
  m_hMutex = mutex;
  return ERROR_CODE_SUCCESS;
}

bool CNamedMutex::Exists(const CPaths& paths, const std::string& name) {
  HANDLE mutex = OpenMutexA(SYNCHRONIZE, FALSE, KernelObjectName(paths, name).c_str());
  if (!mutex) return false;
  CloseHandle(mutex);
  return true;
}

void CNamedMutex::Close() {
  if (m_hMutex) CloseHandle(static_cast<HANDLE>(m_hMutex));
  m_hMutex = nullptr;
}

}  // namespace kv
