#pragma once
// Named shared memory (CreateFileMapping/OpenFileMapping). Posix: shm_open + mmap, the name
// prefixed with CPaths::NamespaceTag().
#include <cstddef>
#include <cstdint>
#include <string>

#include "platform/Paths.h"

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
  // Maps an existing mapping only; 2 when there is none.
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
};

}  // namespace kv
