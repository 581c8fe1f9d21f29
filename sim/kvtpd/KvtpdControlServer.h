#pragma once
// Serves the control channel of the stand-in: a stream socket beside the device endpoint
// (DEVICE.ctl), one command per line, one reply line each. Several clients may be connected;
// one thread serves them all.
#include <atomic>
#include <cstdint>
#include <string>
#include <thread>

#include "sim/kvtpd/KvtpdControl.h"

namespace kv::sim {

class CKvtpdControlServer {
 public:
  explicit CKvtpdControlServer(CKvtpdControl& control) : m_control(control) {}
  ~CKvtpdControlServer();
  CKvtpdControlServer(const CKvtpdControlServer&) = delete;
  CKvtpdControlServer& operator=(const CKvtpdControlServer&) = delete;

  // Binds the socket (replacing one left by a stand-in that died; refusing, with 183, one
  // that still answers) and starts serving. 0 or a system error code.
  uint32_t Start(const std::string& path);
  void Stop();

 private:
  void Run();
  CKvtpdControl& m_control;
  std::string m_sPath;
  int m_iListen = -1;
  int m_wake[2] = {-1, -1};
  std::thread m_thread;
};

}  // namespace kv::sim
