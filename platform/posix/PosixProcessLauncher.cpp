#include "platform/posix/PosixProcessLauncher.h"

#include <poll.h>
#include <spawn.h>
#include <sys/syscall.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>

#include "common/SystemError.h"
#include "platform/posix/ErrnoToSystemError.h"

extern char** environ;

namespace kv {

namespace {

int PidFdOpen(pid_t pid) { return static_cast<int>(syscall(SYS_pidfd_open, pid, 0)); }

}  // namespace

CPosixProcessLauncher::~CPosixProcessLauncher() {
  // Handles not closed by their owner: the processes go on, only the descriptors go.
  for (auto& [handle, child] : m_children) close(child.m_iPidFd);
}

std::vector<std::string> CPosixProcessLauncher::SplitParameters(const std::string& parameters) {
  std::vector<std::string> parts;
  std::string current;
  bool quoted = false, inPart = false;
  for (char c : parameters) {
    if (c == '"') {
      quoted = !quoted;
      inPart = true;
    } else if ((c == ' ' || c == '\t') && !quoted) {
      if (inPart) parts.push_back(current);
      current.clear();
      inPart = false;
    } else {
      current += c;
      inPart = true;
    }
  }
  if (inPart) parts.push_back(current);
  return parts;
}

bool CPosixProcessLauncher::ProgramExists(const std::string& file) {
  return !file.empty() && access(file.c_str(), X_OK) == 0;
}

uint32_t CPosixProcessLauncher::Execute(const std::string& verb, const std::string& file,
                                        const std::string& parameters, ProcessHandle* process) {
  *process = NO_PROCESS;
  if (access(file.c_str(), F_OK) != 0) return ERROR_CODE_FILE_NOT_FOUND;
  if (access(file.c_str(), X_OK) != 0) return ERROR_CODE_ACCESS_DENIED;
  std::vector<std::string> args;
  // Elevation: root needs none; anyone else asks the desktop's policy agent.
  if (verb == "runas" && geteuid() != 0) args.push_back("pkexec");
  args.push_back(file);
  for (auto& p : SplitParameters(parameters)) args.push_back(std::move(p));
  std::vector<char*> argv;
  for (auto& a : args) argv.push_back(a.data());
  argv.push_back(nullptr);
  pid_t pid = -1;
  int rc = posix_spawnp(&pid, argv[0], nullptr, nullptr, argv.data(), environ);
  if (rc != 0) return ErrnoToSystemError(rc);
  // Without pidfds (kernels before 5.3) the child is still followed through waitpid.
  int pidFd = PidFdOpen(pid);
  std::lock_guard<std::mutex> lock(m_mutex);
  *process = pid;
  m_children[pid] = Child{pidFd, pid, false};
  return ERROR_CODE_SUCCESS;
}

uint32_t CPosixProcessLauncher::Wait(ProcessHandle process, int timeoutMs) {
  int pidFd = -1;
  pid_t pid = -1;
  {
    std::lock_guard<std::mutex> lock(m_mutex);
    auto it = m_children.find(process);
    if (it == m_children.end() || it->second.m_bReaped) return WAIT_RESULT_SIGNALLED;
    pidFd = it->second.m_iPidFd;
    pid = it->second.m_iPid;
  }
  if (pidFd >= 0) {
    pollfd p{pidFd, POLLIN, 0};
    int rc;
    do rc = poll(&p, 1, timeoutMs < 0 ? -1 : timeoutMs);
    while (rc < 0 && errno == EINTR);
    if (rc == 0) return WAIT_RESULT_TIMEOUT;
  }
  int status = 0;
  pid_t got;
  do got = waitpid(pid, &status, (pidFd >= 0 || timeoutMs == 0) ? WNOHANG : 0);
  while (got < 0 && errno == EINTR);
  if (got == 0) return WAIT_RESULT_TIMEOUT;
  std::lock_guard<std::mutex> lock(m_mutex);
  auto it = m_children.find(process);
  if (it != m_children.end()) it->second.m_bReaped = true;
  return WAIT_RESULT_SIGNALLED;
}

void CPosixProcessLauncher::Close(ProcessHandle process) {
  std::lock_guard<std::mutex> lock(m_mutex);
  auto it = m_children.find(process);
  if (it == m_children.end()) return;
  if (it->second.m_iPidFd >= 0) close(it->second.m_iPidFd);
  // A child that ended unwaited is reaped now; one still running is left to run.
  if (!it->second.m_bReaped) waitpid(it->second.m_iPid, nullptr, WNOHANG);
  m_children.erase(it);
}

}  // namespace kv
