#pragma once
// The stand-in's control channel on Windows: a named pipe (PipePath of NAME.ctl) serving one
// client at a time, one command per line and one reply line each, with the line rules of
// the posix channel (line end "\n", a "\r" before it dropped, at most maxLine bytes, no
// control characters but tab).
#include <cstddef>
#include <functional>
#include <string>
#include <thread>

#include "platform/Paths.h"
#include "platform/PipeServer.h"

namespace kv {

class CPipeLineServer {
 public:
  using Handler = std::function<std::string(const std::string& line)>;

  CPipeLineServer(const CPaths& paths, const std::string& windowsName, Handler handler, size_t maxLine);
  ~CPipeLineServer();
  CPipeLineServer(const CPipeLineServer&) = delete;
  CPipeLineServer& operator=(const CPipeLineServer&) = delete;

  uint32_t Start();
  void Stop();

  // The reply to one received line, or "" when the line is to be dropped; *hangUp when the
  // client is to be cut off after it.
  std::string Answer(const std::string& line, bool* hangUp) const;

 private:
  void Run();
  void ServeClient();

  CPipeServer m_server;
  Handler m_handler;
  size_t m_uMaxLine;
  std::thread m_thread;
};

}  // namespace kv
