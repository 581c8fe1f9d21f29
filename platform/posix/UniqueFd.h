#pragma once
// Owns one file descriptor and closes it exactly once.
#include <unistd.h>

#include <utility>

namespace kv {

class CUniqueFd {
 public:
  CUniqueFd() = default;
  explicit CUniqueFd(int fd) : m_iFd(fd) {}
  ~CUniqueFd() { Reset(); }
  CUniqueFd(CUniqueFd&& other) noexcept : m_iFd(std::exchange(other.m_iFd, -1)) {}
  CUniqueFd& operator=(CUniqueFd&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.m_iFd, -1));
    return *this;
  }
  CUniqueFd(const CUniqueFd&) = delete;
  CUniqueFd& operator=(const CUniqueFd&) = delete;

  int Get() const { return m_iFd; }
  bool Valid() const { return m_iFd >= 0; }
  int Release() { return std::exchange(m_iFd, -1); }
  void Reset(int fd = -1) {
    if (m_iFd >= 0) ::close(m_iFd);
    m_iFd = fd;
  }

 private:
  int m_iFd = -1;
};

}  // namespace kv
