#include "tests/support/ChildProcess.h"

#include <signal.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <cstring>
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

namespace {

// A socket file whose server died refuses every connect; a datagram probe tells it from a
// live stream or seqpacket listener (which answers EPROTOTYPE) without being accepted.
bool DeadSocket(const std::string& path) {
  sockaddr_un addr{};
  addr.sun_family = AF_UNIX;
  if (path.size() >= sizeof addr.sun_path) return false;
  std::memcpy(addr.sun_path, path.c_str(), path.size());
  int fd = socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  bool dead = connect(fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) != 0 &&
              errno == ECONNREFUSED;
  close(fd);
  return dead;
}

}  // namespace

bool WaitForPath(const std::string& path, int timeoutMs) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
  struct stat st;
  while (stat(path.c_str(), &st) != 0 || (S_ISSOCK(st.st_mode) && DeadSocket(path))) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return true;
}

}  // namespace kv::test
