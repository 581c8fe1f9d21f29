#pragma once
// A child process for the Windows tests: started from a command line, waited for with a
// bound, and ended (TerminateProcess) when the test is done with it.
#include <windows.h>

#include <string>

namespace kv::test {

class CWinProcess {
 public:
  CWinProcess() = default;
  ~CWinProcess();
  CWinProcess(const CWinProcess&) = delete;
  CWinProcess& operator=(const CWinProcess&) = delete;

  bool Start(const std::string& commandLine);
  // True with *code when the process ended within timeoutMs.
  bool WaitExit(int timeoutMs, DWORD* code);
  void Kill();

  // Runs to its end: the exit code, or -1 when it cannot start or outlives timeoutMs.
  static long Run(const std::string& commandLine, int timeoutMs);
  // A program built beside the running test program, quoted for a command line.
  static std::string Program(const std::string& name);

 private:
  HANDLE m_hProcess = nullptr;
};

}  // namespace kv::test
