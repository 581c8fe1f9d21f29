#pragma once
// Client of a stand-in's control channel: one command line out, its reply line back.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace kv::test {

class CControlChannel {
 public:
  CControlChannel() = default;
  CControlChannel(const CControlChannel&) = delete;
  CControlChannel& operator=(const CControlChannel&) = delete;
  ~CControlChannel() {
    if (m_fd >= 0) close(m_fd);
  }

  bool Connect(const std::string& path) {
    if (m_fd >= 0) close(m_fd);
    m_buffer.clear();
    m_fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    timeval tv{5, 0};
    setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    return connect(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  }

  // The reply without its line end, or "<send failed>" / "<no reply>".
  std::string operator()(const std::string& line) {
    std::string out = line + "\n";
    if (send(m_fd, out.data(), out.size(), MSG_NOSIGNAL) != static_cast<ssize_t>(out.size()))
      return "<send failed>";
    for (;;) {
      size_t eol = m_buffer.find('\n');
      if (eol != std::string::npos) {
        std::string reply = m_buffer.substr(0, eol);
        m_buffer.erase(0, eol + 1);
        return reply;
      }
      char chunk[256];
      ssize_t n = recv(m_fd, chunk, sizeof chunk, 0);
      if (n <= 0) return "<no reply>";
      m_buffer.append(chunk, static_cast<size_t>(n));
    }
  }

 private:
  int m_fd = -1;
  std::string m_buffer;
};

}  // namespace kv::test
