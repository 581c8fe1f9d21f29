#include "tabrix/app/qt/StopSignalNotifier.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

namespace kv {

namespace {

int g_signalPipe[2] = {-1, -1};
std::atomic<bool>* g_pRequested = nullptr;

void OnSignal(int) {
  if (g_pRequested) g_pRequested->store(true);
  const char byte = 1;
  // Async-signal-safe; a full pipe means a stop is already pending.
  [[maybe_unused]] ssize_t n = write(g_signalPipe[1], &byte, 1);
}

}  // namespace

CStopSignalNotifier::CStopSignalNotifier(std::atomic<bool>& requested,
                                         std::function<void()> onStop)
    : m_onStop(std::move(onStop)) {
  g_pRequested = &requested;
  if (pipe2(g_signalPipe, O_CLOEXEC | O_NONBLOCK) != 0) return;
  m_pNotifier = std::make_unique<QSocketNotifier>(g_signalPipe[0], QSocketNotifier::Read);
  connect(m_pNotifier.get(), &QSocketNotifier::activated, this, [this] {
    char buffer[16];
    while (read(g_signalPipe[0], buffer, sizeof buffer) > 0) {
    }
    m_onStop();
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  sigemptyset(&action.sa_mask);
  action.sa_flags = SA_RESTART;
  sigaction(SIGTERM, &action, nullptr);
  sigaction(SIGINT, &action, nullptr);
}

CStopSignalNotifier::~CStopSignalNotifier() {
  signal(SIGTERM, SIG_DFL);
  signal(SIGINT, SIG_DFL);
  g_pRequested = nullptr;
  m_pNotifier.reset();
  for (int& fd : g_signalPipe) {
    if (fd >= 0) close(fd);
    fd = -1;
  }
}

}  // namespace kv
