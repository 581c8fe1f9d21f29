#pragma once
// The stand-ins run until SIGTERM or SIGINT. Made first thing in main, before any thread
// starts: both signals are then blocked in this thread and in every thread started after
// it, so only Wait() takes them and no thread is cut short in a system call. SIGPIPE is
// ignored: a client gone before its reply is not a reason to end.
#include <signal.h>

namespace kv {

class CStopSignals {
 public:
  CStopSignals();
  CStopSignals(const CStopSignals&) = delete;
  CStopSignals& operator=(const CStopSignals&) = delete;

  // Blocks until one of them comes; its number.
  int Wait();

 private:
  sigset_t m_set;
};

}  // namespace kv
