#include "platform/SharedMemory.h"

#include <windows.h>

#include "common/SystemError.h"
#include "platform/win32/KernelObjectName.h"

namespace kv {

CSharedMemory::~CSharedMemory() { Close(); }

uint32_t CSharedMemory::Create(const CPaths& paths, const std::string& name, size_t size) {
  return Map(paths, name, size, true);
}

uint32_t CSharedMemory::Open(const CPaths& paths, const std::string& name, size_t size) {
  return Map(paths, name, size, false);
}

uint32_t CSharedMemory::Map(const CPaths& paths, const std::string& name, size_t size, bool create) {
  Close();
  if (size == 0 || name.empty()) return ERROR_CODE_INVALID_PARAMETER;
  const std::string object = KernelObjectName(paths, name);
  HANDLE section;
  bool existed = false;
  if (create) {
    const uint64_t wide = size;
    section = CreateFileMappingA(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE,
                                 static_cast<DWORD>(wide >> 32), static_cast<DWORD>(wide), object.c_str());
    if (!section) return GetLastError();
    existed = GetLastError() == ERROR_ALREADY_EXISTS;
  } else {
    section = OpenFileMappingA(FILE_MAP_ALL_ACCESS, FALSE, object.c_str());
    if (!section) return GetLastError();
    existed = true;
  }
  // A section cannot grow. One made smaller by another program is usable only when its last
  // page still covers what we need (the rest of a page reads as zeros, as growing would).
  void* view = MapViewOfFile(section, FILE_MAP_ALL_ACCESS, 0, 0, 0);
  if (!view) {
    uint32_t error = GetLastError();
    CloseHandle(section);
    return error;
  }
  MEMORY_BASIC_INFORMATION info{};
  if (VirtualQuery(view, &info, sizeof info) == 0 || info.RegionSize < size) {
    UnmapViewOfFile(view);
    CloseHandle(section);
    return ERROR_CODE_INSUFFICIENT_BUFFER;
  }
  m_hMapping = section;
  m_pData = static_cast<uint8_t*>(view);
  m_uSize = size;
  m_bCreated = !existed;
  m_sShmName = object;
  if (create && existed) return ERROR_CODE_ALREADY_EXISTS;
  return ERROR_CODE_SUCCESS;
}

void CSharedMemory::Close() {
  if (m_pData) UnmapViewOfFile(m_pData);
  if (m_hMapping) CloseHandle(static_cast<HANDLE>(m_hMapping));
  m_pData = nullptr;
  m_hMapping = nullptr;
  m_uSize = 0;
  m_bCreated = false;
  m_sShmName.clear();
}

}  // namespace kv
