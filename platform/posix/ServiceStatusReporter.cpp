#include "platform/ServiceStatusReporter.h"

#include <signal.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "common/SystemError.h"
#include "platform/posix/UniqueFd.h"

namespace kv {

CServiceStatusReporter::CServiceStatusReporter(const CPaths& paths, std::string serviceName)
    : m_paths(paths), m_sName(std::move(serviceName)) {}

std::string CServiceStatusReporter::StatusPath(const CPaths& paths, const std::string& name) {
  std::string bare;
  for (char c : name)
    if (c != '/' && c != '\\') bare += c;
  return paths.MachineRunDir() + "/svc/" + bare + ".status";
}

bool CServiceStatusReporter::StartedByServiceManager() {
  const char* manager = std::getenv("KV_SERVICE_MANAGER");
  const char* notify = std::getenv("NOTIFY_SOCKET");
  return (manager && std::strcmp(manager, "1") == 0) || (notify && *notify);
}

uint32_t CServiceStatusReporter::Register(std::function<void(uint32_t)> onControl) {
  m_onControl = std::move(onControl);
  if (!CPaths::EnsureDirectory(m_paths.MachineRunDir() + "/svc")) return ERROR_CODE_ACCESS_DENIED;
  return ERROR_CODE_SUCCESS;
}

uint32_t CServiceStatusReporter::Report(uint32_t state) {
  // Written beside and renamed over, so a reader never sees half a file.
  std::lock_guard<std::mutex> lock(m_mutex);
  std::string path = StatusPath(m_paths, m_sName);
  std::string temp = path + ".tmp";
  {
    std::ofstream out(temp, std::ios::trunc);
    if (!out) return ERROR_CODE_ACCESS_DENIED;
    out << state << ' ' << getpid() << '\n';
    if (!out) return ERROR_CODE_ACCESS_DENIED;
  }
  if (std::rename(temp.c_str(), path.c_str()) != 0) return ERROR_CODE_ACCESS_DENIED;
  switch (state) {
    case SERVICE_STATE_START_PENDING: Notify("STATUS=Starting"); break;
    case SERVICE_STATE_RUNNING: Notify("READY=1\nSTATUS=Running"); break;
    case SERVICE_STATE_STOP_PENDING: Notify("STOPPING=1\nSTATUS=Stopping"); break;
    case SERVICE_STATE_STOPPED: Notify("STATUS=Stopped"); break;
    default: break;
  }
  return ERROR_CODE_SUCCESS;
}

void CServiceStatusReporter::Notify(const std::string& message) {
  const char* socketPath = std::getenv("NOTIFY_SOCKET");
  if (!socketPath || !*socketPath) return;
  sockaddr_un addr;
  std::memset(&addr, 0, sizeof addr);
  addr.sun_family = AF_UNIX;
  size_t length = std::strlen(socketPath);
  if (length >= sizeof addr.sun_path) return;
  std::memcpy(addr.sun_path, socketPath, length);
  if (addr.sun_path[0] == '@') addr.sun_path[0] = '\0';  // abstract namespace
  CUniqueFd fd(socket(AF_UNIX, SOCK_DGRAM | SOCK_CLOEXEC, 0));
  if (!fd.Valid()) return;
  socklen_t size = static_cast<socklen_t>(offsetof(sockaddr_un, sun_path) + length);
  (void)sendto(fd.Get(), message.data(), message.size(), MSG_NOSIGNAL,
               reinterpret_cast<sockaddr*>(&addr), size);
}

uint32_t CServiceStatusReporter::Query(const CPaths& paths, const std::string& name,
                                       uint32_t* state, uint32_t* pid) {
  std::ifstream in(StatusPath(paths, name));
  if (!in) return ERROR_CODE_FILE_NOT_FOUND;
  long long s = 0, p = 0;
  if (!(in >> s >> p) || s < SERVICE_STATE_STOPPED || s > 7 || p <= 0 || p > 0x7fffffff)
    return ERROR_CODE_INVALID_DATA;
  *state = static_cast<uint32_t>(s);
  // A process that died without reporting leaves its last state behind.
  if (*state != SERVICE_STATE_STOPPED && kill(static_cast<pid_t>(p), 0) != 0 && errno == ESRCH)
    *state = SERVICE_STATE_STOPPED;
  if (pid) *pid = static_cast<uint32_t>(p);
  return ERROR_CODE_SUCCESS;
}

}  // namespace kv
