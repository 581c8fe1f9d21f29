#pragma once
// Serves a stand-in's control channel: a Unix stream socket (NAME.ctl beside the device),
// one command per line, one reply line each. One thread serves any number of clients; the
// handler runs on that thread only, one line at a time.
//
// What a line is, for every stand-in alike:
//   - it ends with "\n"; a "\r" before it is dropped;
//   - longer than maxLine bytes (without its line end): "error line too long" and the
//     client is hung up on, wherever the line was cut into packets;
//   - a byte below 0x20 other than a tab (a NUL, say): "error bad character"; the handler
//     never sees such a line, and the client stays;
//   - bytes after the last line end when the client goes away are not a command (the
//     client died mid-line) and are dropped unexecuted.
// A client that does not read its replies is not read from either until it does, so it
// stalls itself and nobody else. Beyond MAX_CLIENTS at once a client gets
// "error too many clients" and is hung up on.
#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "platform/posix/UniqueFd.h"

namespace kv {

class CControlChannelServer {
 public:
  // One command line (without its line end) -> its reply (without its line end).
  using Handler = std::function<std::string(const std::string& line)>;
  static constexpr size_t MAX_CLIENTS = 64;

  CControlChannelServer(Handler handler, size_t maxLine);
  ~CControlChannelServer();
  CControlChannelServer(const CControlChannelServer&) = delete;
  CControlChannelServer& operator=(const CControlChannelServer&) = delete;

  // Binds the socket (mode 0600) and starts serving: 0, or 87 (path too long for a socket
  // address), 183 (a live server answers there), 5 (something other than a socket is
  // there), or the error of binding. A socket file left by a server that died is replaced.
  uint32_t Start(const std::string& path);
  // Hangs up on every client, ends the thread and removes the socket file.
  void Stop();

 private:
  struct Client {
    CUniqueFd m_fd;
    std::string m_sIn;   // the unfinished line
    std::string m_sOut;  // the part of a reply the socket did not take yet
    bool m_bHangUp = false;  // close once m_sOut is out
  };
  void Run();
  void Accept(std::vector<Client>* clients);
  // False when the client is gone or is to be closed now.
  bool Read(Client* client);
  bool Serve(Client* client);
  bool Flush(Client* client);
  void Reply(Client* client, const std::string& reply);

  Handler m_handler;
  size_t m_uMaxLine;
  std::string m_sPath;
  CUniqueFd m_listen;
  CUniqueFd m_wakeRead, m_wakeWrite;  // a pipe: a byte in it ends the thread
  std::thread m_thread;
};

}  // namespace kv
