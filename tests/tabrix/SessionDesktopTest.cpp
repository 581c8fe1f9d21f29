// Suspend and resume as logind announces them, to the real tray program: the pen is let
// go before the machine sleeps and taken up again after it wakes; a logind that says odd
// things, or vanishes and comes back, never stops the program.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include "tests/support/PrivateSystemBus.h"
#include "tests/tabrix/TrayDesktopFixture.h"

namespace kv {
namespace {

using namespace std::chrono_literals;
using test::WaitUntil;

class SessionDesktopTest : public test::CTrayDesktopFixture {
 protected:
  void SetUp() override {
    CTrayDesktopFixture::SetUp();
    ASSERT_TRUE(m_bus.Start(m_prefix.Dir()));
  }
  // The command window shows its text only while the driver is on.
  bool DriverOnShown(bool on) {
    const std::string peer = "'" + test::CChildProcess::BinaryPath("pen-peer") + "'";
    const std::string check = on ? " | grep -qx KV_TPDrv_CommandWindow" : " | grep -q . && exit 1 || exit 0";
    return WaitUntil(30s, [&] {
      return m_desktop.Run(peer + " text KV_TPdrv_CommandClass" + check) == 0;
    });
  }

  test::CPrivateSystemBus m_bus;
};

TEST_F(SessionDesktopTest, SleepLetsThePenGoAndWakingTakesItUpAgain) {
  ASSERT_TRUE(m_tabrix.Start("tabrix"));
  ASSERT_TRUE(WaitUntil(60s, [&] { return m_desktop.TrayIcons().size() == 1; })) << "no tray icon";
  ASSERT_TRUE(DriverOnShown(true));

  ASSERT_EQ(m_bus("sleep 1"), "ok");
  EXPECT_TRUE(DriverOnShown(false)) << "still on while going to sleep";
  ASSERT_EQ(m_bus("sleep 0"), "ok");
  EXPECT_TRUE(DriverOnShown(true)) << "not back after waking";

  // Out of order, wrongly typed, then gone and back: the program goes on and still hears.
  for (const char* odd : {"sleep 0", "active text", "removed c9"}) EXPECT_EQ(m_bus(odd), "ok");
  m_bus.KillLogind();
  ASSERT_TRUE(m_bus.StartLogind());
  EXPECT_TRUE(m_tabrix.Running());
  EXPECT_TRUE(DriverOnShown(true));
  ASSERT_TRUE(WaitUntil(20s, [&] {
    // The program finds the new logind asynchronously; repeat until it hears.
    m_bus("sleep 1");
    return DriverOnShown(false);
  }));
  ASSERT_EQ(m_bus("sleep 0"), "ok");
  EXPECT_TRUE(DriverOnShown(true));

  const int status = m_tabrix.Stop(SIGTERM);
  EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
}

}  // namespace
}  // namespace kv
