#include "tests/support/ChildProcess.h"

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <thread>

namespace kv::test {

CChildProcess::~CChildProcess() {
  if (m_pid > 0) Stop(SIGKILL);
}

std::string CChildProcess::BinaryPath(const std::string& name) {
  if (name.find('/') != std::string::npos) return name;
  return std::string(KV_BINARY_DIR) + "/bin/" + name;
}

bool CChildProcess::Start(const std::string& program, const std::vector<std::string>& args) {
  std::string path = BinaryPath(program);
  std::vector<std::string> all{path};
  all.insert(all.end(), args.begin(), args.end());
  std::vector<char*> argv;
  for (auto& a : all) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = fork();
  if (pid < 0) return false;
  if (pid == 0) {
    execv(path.c_str(), argv.data());
    _exit(127);
  }
  m_pid = pid;
  return true;
}

int CChildProcess::Stop(int signal) {
  if (m_pid <= 0) return -1;
  kill(m_pid, signal);
  int status = 0;
  waitpid(m_pid, &status, 0);
  m_pid = -1;
  return status;
}

void CChildProcess::Kill() { Stop(SIGKILL); }

bool CChildProcess::WaitExit(int timeoutMs, int* status) {
  if (m_pid <= 0) return false;
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  do {
    int st = 0;
    if (waitpid(m_pid, &st, WNOHANG) == m_pid) {
      if (status) *status = st;
      m_pid = -1;
      return true;
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  } while (std::chrono::steady_clock::now() < deadline);
  return false;
}

bool CChildProcess::Running() {
  if (m_pid <= 0) return false;
  int st = 0;
  if (waitpid(m_pid, &st, WNOHANG) == m_pid) {
    m_pid = -1;
    return false;
  }
  return true;
}

bool WaitForPath(const std::string& path, int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  struct stat st;
  while (stat(path.c_str(), &st) != 0) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace kv::test
