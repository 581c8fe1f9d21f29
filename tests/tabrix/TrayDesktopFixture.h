#pragma once
// A real X server with a tray host, the driver and panel stand-ins and the service under
// a temporary prefix, ready for the real tray program; and what desktop tests of it keep
// asking: wait for a condition, the driver's input state, a click on the tray icon.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "common/DriverSettings.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ControlChannel.h"
#include "tests/support/DesktopSession.h"
#include "tests/support/TempPrefix.h"
#include "tests/tabrix/SimSystem.h"

namespace kv::test {

template <typename F>
bool WaitUntil(std::chrono::milliseconds limit, F ready) {
  const auto deadline = std::chrono::steady_clock::now() + limit;
  while (!ready()) {
    if (std::chrono::steady_clock::now() > deadline) return false;
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
  }
  return true;
}

class CTrayDesktopFixture : public ::testing::Test {
 protected:
  void SetUp() override {
    using namespace std::chrono_literals;
    ASSERT_TRUE(m_desktop.Ok()) << "Xvfb or trayer did not come up";
    setenv("KV_HID", "sim", 1);
    ASSERT_TRUE(m_sim.StartDriver());
    // As its unit starts it: a service that reports its state, which start-up waits for.
    setenv("KV_SERVICE_MANAGER", "1", 1);
    ASSERT_TRUE(m_sim.StartService());
    unsetenv("KV_SERVICE_MANAGER");
    ASSERT_TRUE(m_panel.Start("panel-sim", {"--model", "VT-R700A"}));
    ASSERT_TRUE(WaitUntil(10s, [&] {
      return m_panelCtl.Connect(m_prefix.Paths().HidDir() + "/panel.ctl");
    }));
  }
  void TearDown() override {
    if (m_tabrix.Running()) m_tabrix.Stop(SIGTERM);
    unsetenv("KV_HID");
  }

  bool InputEnabled(int expected) {
    return WaitUntil(std::chrono::seconds(20), [&] {
      DriverSettings s;
      return m_sim.ReadSettings(&s) && s.m_uInputEnable == expected;
    });
  }
  // A left click on the tray icon opens the menu; keys then pick its items.
  bool OpenMenu() {
    const auto icons = m_desktop.TrayIcons();
    int x, y, w, h;
    if (icons.empty() || !m_desktop.Geometry(icons[0], &x, &y, &w, &h)) return false;
    return m_desktop.Click(x + w / 2, y + h / 2);
  }

  // The X server's screen at another size (never larger than it started), as a person
  // changing the resolution would; the mode is made up when the server lacks it.
  bool SetScreenSize(int width, int height) {
    const std::string size = std::to_string(width) + "x" + std::to_string(height);
    const std::string w = std::to_string(width), h = std::to_string(height);
    const std::string mode = "kv" + size;
    const std::string timings = "60 " + w + " " + std::to_string(width + 8) + " " +
                                std::to_string(width + 16) + " " + std::to_string(width + 32) +
                                " " + h + " " + std::to_string(height + 1) + " " +
                                std::to_string(height + 2) + " " + std::to_string(height + 3);
    if (m_desktop.Run("xrandr --output screen --mode " + size + " 2>/dev/null") == 0 ||
        m_desktop.Run("xrandr --output screen --mode " + mode + " 2>/dev/null") == 0)
      return true;
    return m_desktop.Run("xrandr --newmode " + mode + " " + timings + " && xrandr --addmode screen " +
                         mode + " && xrandr --output screen --mode " + mode) == 0;
  }

  CDesktopSession m_desktop;
  CTempPrefix m_prefix;
  CSimSystem m_sim{m_prefix};
  CChildProcess m_panel;
  CControlChannel m_panelCtl;
  CChildProcess m_tabrix;
};

}  // namespace kv::test
