#pragma once
// One pipe of the service and the thread that serves it: connect, sleep 10 ms, read one
// request, run the handler, write the answer back, disconnect, over and over until Stop().
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "platform/Clock.h"
#include "platform/Paths.h"
#include "platform/PipeServer.h"
#include "service/RequestHandler.h"

namespace kv {

inline constexpr int PIPE_DEFAULT_TIMEOUT_MS = 1000;
inline constexpr uint32_t PIPE_SETTLE_MS = 10;

struct PipeThreadOptions {
  // A client that sends nothing within this time is disconnected.
  int m_iTimeoutMs = PIPE_DEFAULT_TIMEOUT_MS;
  // Clients of this uid are refused before anything is read (the guest account).
  int64_t m_iRefusedUid = -1;
};

class CPipeThread {
 public:
  CPipeThread(const CPaths& paths, std::string windowsName, RequestHandler& handler,
              Clock& clock, PipeThreadOptions options);
  ~CPipeThread();
  CPipeThread(const CPipeThread&) = delete;
  CPipeThread& operator=(const CPipeThread&) = delete;

  // Creates the pipe and starts serving. 0, or the error that ended the thread at once.
  uint32_t Start();
  // Signals the thread to leave its loop at its next wait; Join() waits for it.
  void Stop();
  void Join();
  uint32_t ExitCode() const { return m_uExitCode.load(); }

  // The uid of the account that must never reach the driver ("nobody"), or -1.
  static int64_t GuestUid();

 private:
  void Run();
  bool ServeOne();  // false: leave the loop

  CPipeServer m_server;
  RequestHandler& m_handler;
  Clock& m_clock;
  PipeThreadOptions m_options;
  std::atomic<uint32_t> m_uExitCode{0};
  std::thread m_thread;
};

}  // namespace kv
