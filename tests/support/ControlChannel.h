#pragma once
// Client of a stand-in's control channel: one command line out, its reply line back.
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <string>

namespace kv::test {

class CControlChannel {
 public:
  CControlChannel() = default;
  CControlChannel(const CControlChannel&) = delete;
  CControlChannel& operator=(const CControlChannel&) = delete;
  ~CControlChannel() { Close(); }

  bool Connect(const std::string& path) {
    Close();
    m_buffer.clear();
    m_fd = socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_un addr{};
    addr.sun_family = AF_UNIX;
    std::strncpy(addr.sun_path, path.c_str(), sizeof addr.sun_path - 1);
    timeval tv{5, 0};
    setsockopt(m_fd, SOL_SOCKET, SO_RCVTIMEO, &tv, sizeof tv);
    return connect(m_fd, reinterpret_cast<sockaddr*>(&addr), sizeof addr) == 0;
  }

  // The reply without its line end, or "<send failed>" / "<no reply>" / "<closed>".
  std::string operator()(const std::string& line) {
    return Send(line + "\n") ? ReadLine() : "<send failed>";
  }

  // Raw bytes, for tests of the channel itself; false unless all were sent.
  bool Send(const std::string& bytes, int flags = 0) {
    return send(m_fd, bytes.data(), bytes.size(), MSG_NOSIGNAL | flags) ==
           static_cast<ssize_t>(bytes.size());
  }
  // The next reply line, "<no reply>" after the time-out, "<closed>" once the stand-in
  // hung up.
  std::string ReadLine() {
    for (;;) {
      size_t eol = m_buffer.find('\n');
      if (eol != std::string::npos) {
        std::string reply = m_buffer.substr(0, eol);
        m_buffer.erase(0, eol + 1);
        return reply;
      }
      char chunk[4096];
      ssize_t n = recv(m_fd, chunk, sizeof chunk, 0);
      if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) return "<no reply>";
      if (n <= 0) return "<closed>";
      m_buffer.append(chunk, static_cast<size_t>(n));
    }
  }
  void ShutdownWrite() { shutdown(m_fd, SHUT_WR); }
  void Close() {
    if (m_fd >= 0) close(m_fd);
    m_fd = -1;
  }

 private:
  int m_fd = -1;
  std::string m_buffer;
};

}  // namespace kv::test
