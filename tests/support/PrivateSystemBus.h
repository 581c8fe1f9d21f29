#pragma once
// A D-Bus daemon of the test's own, made the system bus of this process and of the
// programs it starts (DBUS_SYSTEM_BUS_ADDRESS), with the logind stand-in on it.
#include <sys/stat.h>

#include <chrono>
#include <cstdlib>
#include <string>
#include <thread>

#include "tests/support/ChildProcess.h"
#include "tests/support/ControlChannel.h"

namespace kv::test {

class CPrivateSystemBus {
 public:
  // Starts the daemon with its socket in dir and logind-sim serving dir/logind.ctl.
  bool Start(const std::string& dir) {
    const std::string socket = dir + "/system_bus";
    if (!m_bus.Start("/usr/bin/dbus-daemon",
                     {"--session", "--nofork", "--nopidfile", "--address=unix:path=" + socket}))
      return false;
    if (!Until([&] { struct stat st; return stat(socket.c_str(), &st) == 0; })) return false;
    setenv("DBUS_SYSTEM_BUS_ADDRESS", ("unix:path=" + socket).c_str(), 1);
    m_sControl = dir + "/logind.ctl";
    return StartLogind();
  }
  bool StartLogind() {
    return m_logind.Start("logind-sim", {"--control", m_sControl}) &&
           Until([&] { return m_control.Connect(m_sControl); });
  }
  // As a crash would: gone from the bus at once.
  void KillLogind() { m_logind.Kill(); }
  std::string operator()(const std::string& command) { return m_control(command); }

 private:
  template <typename F>
  static bool Until(F ready) {
    for (int i = 0; i < 2000 && !ready(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return ready();
  }

  CChildProcess m_bus, m_logind;
  CControlChannel m_control;
  std::string m_sControl;
};

}  // namespace kv::test
