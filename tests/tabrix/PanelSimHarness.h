#pragma once
// panel-sim as a real child process under the test's prefix, with its control channel
// connected; shared by the firmware link tests.
#include <chrono>
#include <string>
#include <thread>
#include <vector>

#include "platform/Paths.h"
#include "tabrix/firmware/TPdrvServiceMode.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ControlChannel.h"

namespace kv::test {

// Waits that keep a failing test short; the worker's own poll stays as shipped.
inline FirmwareLinkTimeouts ShortFirmwareWaits() {
  FirmwareLinkTimeouts t;
  t.m_iWriteMs = 500;
  t.m_iCommandMs = 2500;
  t.m_iParkSleepMs = 2;
  return t;
}

class CPanelSim {
 public:
  // False (with the reason in *why) when the stand-in did not come up within 10 s.
  bool Start(const CPaths& paths, const std::vector<std::string>& args, std::string* why,
             const std::string& name = "panel") {
    std::vector<std::string> all = args;
    all.push_back("--name");
    all.push_back(name);
    if (!m_process.Start("panel-sim", all)) {
      *why = "panel-sim did not start";
      return false;
    }
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    while (!m_control.Connect(paths.HidDir() + "/" + name + ".ctl")) {
      if (std::chrono::steady_clock::now() > deadline) {
        *why = "no control channel";
        return false;
      }
      std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    if (m_control("ping") != "ok") {
      *why = "control channel does not answer";
      return false;
    }
    return true;
  }

  std::string operator()(const std::string& line) { return m_control(line); }

  // Polls a control query until it gives want (up to 10 s); the last reply.
  std::string WaitFor(const std::string& line, const std::string& want) {
    std::string reply;
    auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
    do {
      reply = m_control(line);
      if (reply == want) break;
      std::this_thread::sleep_for(std::chrono::milliseconds(2));
    } while (std::chrono::steady_clock::now() < deadline);
    return reply;
  }

  CChildProcess& Process() { return m_process; }

 private:
  CChildProcess m_process;
  CControlChannel m_control;
};

// Polls cond until it holds or 10 s pass.
template <typename Cond>
bool Eventually(Cond cond) {
  auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(10);
  while (!cond()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(2));
  }
  return true;
}

}  // namespace kv::test
