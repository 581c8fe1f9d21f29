#include "platform/Event.h"

#include <chrono>

namespace kv {

CEvent::CEvent(bool manualReset, bool initiallySet)
    : m_bManualReset(manualReset), m_bSignalled(initiallySet) {}

void CEvent::Set() {
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    m_bSignalled = true;
  }
  if (m_bManualReset)
    m_cv.notify_all();
  else
    m_cv.notify_one();
}

void CEvent::Reset() {
  std::lock_guard<std::mutex> lock(m_mutex);
  m_bSignalled = false;
}

bool CEvent::Wait(int timeoutMs) {
  std::unique_lock<std::mutex> lock(m_mutex);
  auto ready = [this] { return m_bSignalled; };
  if (timeoutMs < 0) {
    m_cv.wait(lock, ready);
  } else if (!m_cv.wait_for(lock, std::chrono::milliseconds(timeoutMs), ready)) {
    return false;
  }
  if (!m_bManualReset) m_bSignalled = false;
  return true;
}

bool CEvent::IsSet() const {
  std::lock_guard<std::mutex> lock(m_mutex);
  return m_bSignalled;
}

}  // namespace kv
