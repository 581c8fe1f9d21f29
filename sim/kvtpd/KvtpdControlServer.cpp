#include "sim/kvtpd/KvtpdControlServer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <vector>

#include "common/SystemError.h"
#include "platform/posix/LocalSocket.h"

namespace kv::sim {

namespace {

bool FillAddress(const std::string& path, sockaddr_un* addr) {
  std::memset(addr, 0, sizeof *addr);
  addr->sun_family = AF_UNIX;
  if (path.size() >= sizeof addr->sun_path) return false;
  std::memcpy(addr->sun_path, path.c_str(), path.size() + 1);
  return true;
}

// True when a live server answers at the path.
bool SomeoneListens(const sockaddr_un& addr) {
  int fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
  if (fd < 0) return false;
  bool live = connect(fd, reinterpret_cast<const sockaddr*>(&addr), sizeof addr) == 0;
  close(fd);
  return live;
}

struct Client {
  int m_iFd;
  std::string m_sPending;
};

void SendLine(int fd, const std::string& reply) {
  std::string line = reply + "\n";
  size_t off = 0;
  while (off < line.size()) {
    ssize_t n = send(fd, line.data() + off, line.size() - off, MSG_NOSIGNAL);
    if (n < 0 && errno == EINTR) continue;
    if (n <= 0) return;
    off += static_cast<size_t>(n);
  }
}

}  // namespace

CKvtpdControlServer::~CKvtpdControlServer() { Stop(); }

uint32_t CKvtpdControlServer::Start(const std::string& path) {
  sockaddr_un addr;
  if (!FillAddress(path, &addr)) return ERROR_CODE_INVALID_PARAMETER;
  if (SomeoneListens(addr)) return ERROR_CODE_ALREADY_EXISTS;
  CUniqueFd listener;
  uint32_t rc = ListenLocal(path, 0600, 8, &listener, SOCK_STREAM);
  if (rc != ERROR_CODE_SUCCESS) return rc;
  if (pipe2(m_wake, O_CLOEXEC) != 0) {
    unlink(path.c_str());
    return ERROR_CODE_GEN_FAILURE;
  }
  m_iListen = listener.Release();
  m_sPath = path;
  m_thread = std::thread([this] { Run(); });
  return ERROR_CODE_SUCCESS;
}

void CKvtpdControlServer::Stop() {
  if (m_thread.joinable()) {
    char c = 1;
    (void)!write(m_wake[1], &c, 1);
    m_thread.join();
  }
  for (int* fd : {&m_iListen, &m_wake[0], &m_wake[1]}) {
    if (*fd >= 0) close(*fd);
    *fd = -1;
  }
  if (!m_sPath.empty()) unlink(m_sPath.c_str());
  m_sPath.clear();
}

void CKvtpdControlServer::Run() {
  std::vector<Client> clients;
  for (;;) {
    std::vector<pollfd> fds{{m_wake[0], POLLIN, 0}, {m_iListen, POLLIN, 0}};
    for (auto& c : clients) fds.push_back({c.m_iFd, POLLIN, 0});
    if (poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[0].revents) break;
    if (fds[1].revents & POLLIN) {
      int fd = accept4(m_iListen, nullptr, nullptr, SOCK_CLOEXEC);
      if (fd >= 0) clients.push_back({fd, {}});
    }
    for (size_t i = 2; i < fds.size(); ++i) {
      if (!fds[i].revents) continue;
      Client& c = clients[i - 2];
      char buf[512];
      ssize_t n = recv(c.m_iFd, buf, sizeof buf, 0);
      bool drop = n <= 0;
      if (n > 0) c.m_sPending.append(buf, static_cast<size_t>(n));
      size_t nl;
      while (!drop && (nl = c.m_sPending.find('\n')) != std::string::npos) {
        std::string line = c.m_sPending.substr(0, nl);
        c.m_sPending.erase(0, nl + 1);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        SendLine(c.m_iFd, m_control.Execute(line));
      }
      // A line that never ends is not a command; say so once and hang up.
      if (!drop && c.m_sPending.size() > KVTPD_MAX_LINE) {
        SendLine(c.m_iFd, "error line too long");
        drop = true;
      }
      if (drop) {
        close(c.m_iFd);
        c.m_iFd = -1;
      }
    }
    std::erase_if(clients, [](const Client& c) { return c.m_iFd < 0; });
  }
  for (auto& c : clients) close(c.m_iFd);
}

}  // namespace kv::sim
