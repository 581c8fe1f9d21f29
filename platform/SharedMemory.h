#pragma once
// Named shared memory (CreateFileMapping/OpenFileMapping). Posix: shm_open + mmap, the name
// prefixed with CPaths::NamespaceTag() and "_", other characters than letters, digits and
// "_-." replaced by "_". As on Windows the mapping disappears with its last user, also when
// that user crashed.
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Paths.h"
#ifndef _WIN32
#include "platform/posix/UniqueFd.h"
#endif

namespace kv {

class CSharedMemory {
 public:
  CSharedMemory() = default;
  ~CSharedMemory();
  CSharedMemory(const CSharedMemory&) = delete;
  CSharedMemory& operator=(const CSharedMemory&) = delete;

  // Creates a zero-filled mapping, or maps the existing one of that name. 0 when created,
  // ERROR_CODE_ALREADY_EXISTS when an existing one was mapped, else the error.
  uint32_t Create(const CPaths& paths, const std::string& name, size_t size);
  // Maps an existing mapping only; 2 when there is none. A mapping smaller than size (made by
  // another program) is grown with zeros.
  uint32_t Open(const CPaths& paths, const std::string& name, size_t size);
  void Close();

  uint8_t* Data() const { return m_pData; }
  size_t Size() const { return m_uSize; }
  bool IsMapped() const { return m_pData != nullptr; }
  bool Created() const { return m_bCreated; }

 private:
  uint32_t Map(const CPaths& paths, const std::string& name, size_t size, bool create);
  uint8_t* m_pData = nullptr;
  size_t m_uSize = 0;
  bool m_bCreated = false;
  std::string m_sShmName;
#ifdef _WIN32
  void* m_hMapping = nullptr;  // the section handle; the mapping lives while one is open
#else
  CUniqueFd m_fd;  // kept open: its shared lock marks this process as a user
#endif
};

}  // namespace kv
