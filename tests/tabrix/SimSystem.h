#pragma once
// The service and the driver stand-in as child processes under one temporary prefix, and
// a client of the stand-in's control channel (one text line per command, one reply line).
#include <string>

#include "common/DriverSettings.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TempPrefix.h"

namespace kv::test {

class CSimSystem {
 public:
  explicit CSimSystem(const CTempPrefix& prefix) : m_prefix(prefix) {}
  ~CSimSystem();

  // Start kvtpd-sim (device "\\.\kvtpd700") and pansvc, each waited for until it serves.
  bool StartDriver();
  bool StartService();
  void StopService();
  // The whole system the tray program meets: the driver, the service reporting its state
  // as its unit starts it, and a VT-R700A panel on the simulated bus, waited for.
  bool StartWithPanel(CChildProcess* panel);

  // One command on the stand-in's control channel; its reply without the line end, or
  // "" when the channel cannot be reached.
  std::string Control(const std::string& line);
  // The driver's settings record as the stand-in holds it ("settings": 72 hex digits).
  bool ReadSettings(DriverSettings* settings);

 private:
  const CTempPrefix& m_prefix;
  CChildProcess m_driver;
  CChildProcess m_service;
};

}  // namespace kv::test
