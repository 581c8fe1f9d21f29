#pragma once
// Win32-style event: manual or auto reset, timed wait.
#include <condition_variable>
#include <cstdint>
#include <mutex>

namespace kv {

class CEvent {
 public:
  explicit CEvent(bool manualReset, bool initiallySet = false);
  void Set();
  void Reset();
  // timeoutMs < 0 waits without limit. True when the event was signalled; an auto-reset
  // event is reset by the wait that takes it.
  bool Wait(int timeoutMs);
  bool IsSet() const;

 private:
  mutable std::mutex m_mutex;
  std::condition_variable m_cv;
  bool m_bManualReset;
  bool m_bSignalled;
};

}  // namespace kv
