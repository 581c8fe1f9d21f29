#pragma once
// The tray program's logic started against the real service and stand-ins (driver, panel)
// under a temporary prefix, with the desktop recorded by fakes: what the tray and
// calibration tests drive.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <memory>
#include <thread>

#include "platform/posix/SimHidDeviceWatch.h"
#include "tabrix/app/DeviceHandler.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ControlChannel.h"
#include "tests/tabrix/ProgramUnderTest.h"
#include "tests/tabrix/SimSystem.h"

namespace kv::test {

class CTraySimFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    using namespace std::chrono_literals;
    const std::string dir = m_prefix.Dir() + "/program";
    mkdir(dir.c_str(), 0755);
    ASSERT_TRUE(m_sim.StartDriver());
    setenv("KV_SERVICE_MANAGER", "1", 1);
    ASSERT_TRUE(m_sim.StartService());
    unsetenv("KV_SERVICE_MANAGER");
    ASSERT_TRUE(m_panel.Start("panel-sim", {"--model", "VT-R700A"}));
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (!m_panelCtl.Connect(m_prefix.Paths().HidDir() + "/panel.ctl")) {
      ASSERT_LT(std::chrono::steady_clock::now(), deadline);
      std::this_thread::sleep_for(5ms);
    }
    m_watch = std::make_unique<CSimHidDeviceWatch>(m_prefix.Paths().HidDir());
    m_program = std::make_unique<ProgramUnderTest>(m_prefix, dir);
    ASSERT_TRUE(m_program->startup->InitInstance(""));
    m_program->views.FireFirstAdd();
    ASSERT_TRUE(Window().DriverOn());
  }
  void TearDown() override { m_program.reset(); }

  CCalibrationWnd& Window() { return *m_program->window; }
  CTrayCommands& Commands() { return Window().Commands(); }
  DriverSettings Settings() {
    DriverSettings s;
    EXPECT_TRUE(m_sim.ReadSettings(&s));
    return s;
  }
  // The next arrival or removal the bus folder shows, handed to the program as its event
  // loop would.
  bool DeliverDeviceEvent(bool arrival) {
    using namespace std::chrono_literals;
    const auto deadline = std::chrono::steady_clock::now() + 10s;
    while (std::chrono::steady_clock::now() < deadline) {
      for (const DeviceEvent& e : m_watch->ReadEvents()) {
        Window().Devices().OnDeviceChange(e);
        if (e.m_bArrival == arrival) return true;
      }
      std::this_thread::sleep_for(5ms);
    }
    return false;
  }

  CTempPrefix m_prefix;
  CSimSystem m_sim{m_prefix};
  CChildProcess m_panel;
  CControlChannel m_panelCtl;
  std::unique_ptr<CSimHidDeviceWatch> m_watch;
  std::unique_ptr<ProgramUnderTest> m_program;
};

}  // namespace kv::test
