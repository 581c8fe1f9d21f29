#pragma once
// Starts one of our programs as a real child process for integration tests, and makes
// sure it is gone when the test ends.
#include <sys/types.h>

#include <string>
#include <vector>

namespace kv::test {

class CChildProcess {
 public:
  CChildProcess() = default;
  ~CChildProcess();
  CChildProcess(const CChildProcess&) = delete;
  CChildProcess& operator=(const CChildProcess&) = delete;

  // program: a path, or a name looked up in the build tree's bin folder (BinaryPath).
  bool Start(const std::string& program, const std::vector<std::string>& args = {});
  // Sends the signal and waits for the exit; returns the exit status as waitpid gives it.
  int Stop(int signal = 15);
  void Kill();  // SIGKILL, as a crash would
  // Waits up to timeoutMs for the process to end by itself; true with *status when it did.
  bool WaitExit(int timeoutMs, int* status);
  bool Running();
  pid_t Pid() const { return m_pid; }

  // Where the build put a program of ours.
  static std::string BinaryPath(const std::string& name);

 private:
  pid_t m_pid = -1;
};

// Polls until the path exists (a socket a child creates; a socket left by a dead server
// does not count) or timeoutMs passes.
bool WaitForPath(const std::string& path, int timeoutMs);

}  // namespace kv::test
