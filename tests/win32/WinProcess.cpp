#include "tests/win32/WinProcess.h"

#include <vector>

#include "platform/Paths.h"

namespace kv::test {

CWinProcess::~CWinProcess() { Kill(); }

bool CWinProcess::Start(const std::string& commandLine) {
  Kill();
  STARTUPINFOA startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  std::vector<char> line(commandLine.begin(), commandLine.end());
  line.push_back('\0');
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info))
    return false;
  CloseHandle(info.hThread);
  m_hProcess = info.hProcess;
  return true;
}

bool CWinProcess::WaitExit(int timeoutMs, DWORD* code) {
  if (!m_hProcess || WaitForSingleObject(m_hProcess, static_cast<DWORD>(timeoutMs)) != WAIT_OBJECT_0) return false;
  GetExitCodeProcess(m_hProcess, code);
  CloseHandle(m_hProcess);
  m_hProcess = nullptr;
  return true;
}

void CWinProcess::Kill() {
  if (!m_hProcess) return;
  TerminateProcess(m_hProcess, 1);
  WaitForSingleObject(m_hProcess, 10000);
  CloseHandle(m_hProcess);
  m_hProcess = nullptr;
}

long CWinProcess::Run(const std::string& commandLine, int timeoutMs) {
  CWinProcess process;
  DWORD code = 0;
  if (!process.Start(commandLine) || !process.WaitExit(timeoutMs, &code)) return -1;
  return static_cast<long>(code);
}

std::string CWinProcess::Program(const std::string& name) {
  return "\"" + CPaths::ProgramDirectory() + "\\" + name + "\"";
}

}  // namespace kv::test
