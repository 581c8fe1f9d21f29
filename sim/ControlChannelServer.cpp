#include "sim/ControlChannelServer.h"

#include <fcntl.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "common/SystemError.h"
#include "platform/posix/LocalSocket.h"

namespace kv {

namespace {

bool FillAddress(const std::string& path, sockaddr_un* addr) {
  std::memset(addr, 0, sizeof *addr);
  addr->sun_family = AF_UNIX;
  if (path.empty() || path.size() >= sizeof addr->sun_path) return false;
  std::memcpy(addr->sun_path, path.c_str(), path.size() + 1);
  return true;
}

// True when a live server answers at the address. Non-blocking, so that a live one with a
// full backlog counts as live instead of keeping us waiting.
bool SomeoneListens(const sockaddr_un& addr) {
  CUniqueFd fd(socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC | SOCK_NONBLOCK, 0));
  if (!fd.Valid()) return false;
  int rc = connect(fd.Get(), reinterpret_cast<const sockaddr*>(&addr), sizeof addr);
  return rc == 0 || errno == EAGAIN || errno == EINPROGRESS;
}

bool HasControlByte(const std::string& line) {
  return std::any_of(line.begin(), line.end(), [](char c) {
    return static_cast<unsigned char>(c) < 0x20 && c != '\t';
  });
}

}  // namespace

CControlChannelServer::CControlChannelServer(Handler handler, size_t maxLine)
    : m_handler(std::move(handler)), m_uMaxLine(maxLine) {}

CControlChannelServer::~CControlChannelServer() { Stop(); }

uint32_t CControlChannelServer::Start(const std::string& path) {
  if (m_listen.Valid()) return ERROR_CODE_ALREADY_EXISTS;
  sockaddr_un addr;
  if (!FillAddress(path, &addr)) return ERROR_CODE_INVALID_PARAMETER;
  if (SomeoneListens(addr)) return ERROR_CODE_ALREADY_EXISTS;
  int wake[2];
  if (pipe2(wake, O_CLOEXEC) != 0) return ERROR_CODE_GEN_FAILURE;
  m_wakeRead.Reset(wake[0]);
  m_wakeWrite.Reset(wake[1]);
  // Replaces a socket left by one that died; the name appears only once it listens.
  CUniqueFd listener;
  uint32_t rc = ListenLocal(path, 0600, static_cast<int>(MAX_CLIENTS), &listener, SOCK_STREAM);
  if (rc != ERROR_CODE_SUCCESS) {
    Stop();
    return rc;
  }
  m_listen = std::move(listener);
  m_sPath = path;
  m_thread = std::thread([this] { Run(); });
  return ERROR_CODE_SUCCESS;
}

void CControlChannelServer::Stop() {
  if (m_thread.joinable()) {
    char c = 1;
    (void)!write(m_wakeWrite.Get(), &c, 1);
    m_thread.join();
  }
  m_listen.Reset();
  m_wakeRead.Reset();
  m_wakeWrite.Reset();
  if (!m_sPath.empty()) unlink(m_sPath.c_str());
  m_sPath.clear();
}

void CControlChannelServer::Run() {
  std::vector<Client> clients;
  for (;;) {
    std::vector<pollfd> fds{{m_wakeRead.Get(), POLLIN, 0}, {m_listen.Get(), POLLIN, 0}};
    // A client with replies still to take is not read from: it holds up only itself.
    for (const Client& c : clients)
      fds.push_back({c.m_fd.Get(), static_cast<short>(c.m_sOut.empty() ? POLLIN : POLLOUT), 0});
    if (poll(fds.data(), fds.size(), -1) < 0) {
      if (errno == EINTR) continue;
      break;
    }
    if (fds[0].revents) break;
    for (size_t i = 2; i < fds.size(); ++i) {
      if (!fds[i].revents) continue;
      Client& c = clients[i - 2];
      bool keep = c.m_sOut.empty() ? Read(&c) : (Flush(&c) && Serve(&c));
      if (!keep) c.m_fd.Reset();
    }
    std::erase_if(clients, [](const Client& c) { return !c.m_fd.Valid(); });
    if (fds[1].revents & POLLIN) Accept(&clients);
  }
}

void CControlChannelServer::Accept(std::vector<Client>* clients) {
  CUniqueFd fd(accept4(m_listen.Get(), nullptr, nullptr, SOCK_CLOEXEC | SOCK_NONBLOCK));
  if (!fd.Valid()) return;
  if (clients->size() >= MAX_CLIENTS) {
    static const char busy[] = "error too many clients\n";
    (void)!send(fd.Get(), busy, sizeof busy - 1, MSG_NOSIGNAL | MSG_DONTWAIT);
    return;
  }
  clients->push_back({std::move(fd), {}, {}, false});
}

bool CControlChannelServer::Read(Client* c) {
  char chunk[4096];
  ssize_t n = recv(c->m_fd.Get(), chunk, sizeof chunk, 0);
  if (n < 0) return errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR;
  if (n == 0) return false;  // gone; what it left unfinished is not a command
  c->m_sIn.append(chunk, static_cast<size_t>(n));
  return Serve(c);
}

// One line at a time, and the next only once the socket took the last reply: the
// replies waiting for a client never grow beyond one.
bool CControlChannelServer::Serve(Client* c) {
  std::string& in = c->m_sIn;
  // A line that never ends is not a command; say so once and hang up.
  auto tooLong = [&] {
    Reply(c, "error line too long");
    c->m_bHangUp = true;
    in.clear();
  };
  while (c->m_sOut.empty()) {
    if (c->m_bHangUp) return false;  // its last reply is out
    size_t eol = in.find('\n');
    if (eol == std::string::npos) {
      // The verdict must not depend on where the line was cut: only its "\r" may be
      // missing yet.
      if (in.size() <= m_uMaxLine + 1) return true;
      tooLong();
    } else {
      std::string line = in.substr(0, eol);
      in.erase(0, eol + 1);
      if (!line.empty() && line.back() == '\r') line.pop_back();
      if (line.size() > m_uMaxLine) tooLong();
      else Reply(c, HasControlByte(line) ? "error bad character" : m_handler(line));
    }
    if (!Flush(c)) return false;
  }
  return true;
}

void CControlChannelServer::Reply(Client* c, const std::string& reply) {
  // One reply, one line, whatever the handler said.
  for (char ch : reply) c->m_sOut.push_back(ch == '\n' || ch == '\r' ? ' ' : ch);
  c->m_sOut.push_back('\n');
}

bool CControlChannelServer::Flush(Client* c) {
  while (!c->m_sOut.empty()) {
    ssize_t n = send(c->m_fd.Get(), c->m_sOut.data(), c->m_sOut.size(), MSG_NOSIGNAL | MSG_DONTWAIT);
    if (n < 0 && errno == EINTR) continue;
    if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return true;
    if (n <= 0) return false;
    c->m_sOut.erase(0, static_cast<size_t>(n));
  }
  return true;
}

}  // namespace kv
