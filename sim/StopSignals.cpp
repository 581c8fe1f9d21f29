#include "sim/StopSignals.h"

#include <pthread.h>

namespace kv {

CStopSignals::CStopSignals() {
  sigemptyset(&m_set);
  sigaddset(&m_set, SIGTERM);
  sigaddset(&m_set, SIGINT);
  pthread_sigmask(SIG_BLOCK, &m_set, nullptr);
  // An ignored signal is discarded before sigwait could take it, and a shell starts
  // background jobs with SIGINT ignored; blocked, the default action cannot strike.
  signal(SIGTERM, SIG_DFL);
  signal(SIGINT, SIG_DFL);
  signal(SIGPIPE, SIG_IGN);
}

int CStopSignals::Wait() {
  int number = 0;
  sigwait(&m_set, &number);
  return number;
}

}  // namespace kv
