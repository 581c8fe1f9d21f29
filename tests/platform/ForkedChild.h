#pragma once
// Runs a function in a forked child process: the other end of an endpoint must be another
// process for peer credentials, locks and crash behaviour to be real. The child reports by
// its exit code (0 = all its checks passed), never through gtest.
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <functional>
#include <thread>

namespace kv::test {

class CForkedChild {
 public:
  explicit CForkedChild(const std::function<int()>& body) {
    m_pid = fork();
    if (m_pid == 0) _exit(body());
  }
  ~CForkedChild() {
    if (m_pid > 0) {
      kill(m_pid, SIGKILL);
      waitpid(m_pid, nullptr, 0);
    }
  }
  CForkedChild(const CForkedChild&) = delete;
  CForkedChild& operator=(const CForkedChild&) = delete;

  pid_t Pid() const { return m_pid; }
  // The child's exit code, or -1 when it did not end within timeoutMs (it is killed then)
  // or died by a signal.
  int Wait(int timeoutMs = 10000) {
    auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (m_pid > 0) {
      int status = 0;
      if (waitpid(m_pid, &status, WNOHANG) == m_pid) {
        m_pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
      }
      if (std::chrono::steady_clock::now() >= deadline) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    Kill();
    return -1;
  }
  void Kill() {
    if (m_pid > 0) {
      kill(m_pid, SIGKILL);
      waitpid(m_pid, nullptr, 0);
      m_pid = -1;
    }
  }

 private:
  pid_t m_pid = -1;
};

}  // namespace kv::test
