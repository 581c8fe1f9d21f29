#pragma once
// Named mutex used to mark a running instance (CreateMutex). Posix: flock on
// CPaths::LockPath(name); the lock is released when the owner closes or dies.
#include <cstdint>
#include <string>

#include "platform/Paths.h"
#ifndef _WIN32
#include "platform/posix/UniqueFd.h"
#endif

namespace kv {

class CNamedMutex {
 public:
  CNamedMutex() = default;
  ~CNamedMutex();
  CNamedMutex(const CNamedMutex&) = delete;
  CNamedMutex& operator=(const CNamedMutex&) = delete;

  // 0 when this object now owns the name; ERROR_CODE_ALREADY_EXISTS when another owner holds
  // it (this object then owns nothing).
  uint32_t Create(const CPaths& paths, const std::string& name);
  // True when some owner holds the name (OpenMutex succeeding).
  static bool Exists(const CPaths& paths, const std::string& name);
  void Close();
#ifdef _WIN32
  bool Owned() const { return m_hMutex != nullptr; }

 private:
  void* m_hMutex = nullptr;
#else
  bool Owned() const { return m_fd.Valid(); }

 private:
  CUniqueFd m_fd;
#endif
};

}  // namespace kv
