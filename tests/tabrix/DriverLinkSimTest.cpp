// The driver link against the real service and the driver stand-in, each a child process
// under a temporary prefix; what reached the driver is read back over the stand-in's
// control channel.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

#include "common/DriverSettings.h"
#include "platform/Clock.h"
#include "tabrix/app/RivelleApp.h"
#include "tabrix/driverlink/DriverLink.h"
#include "tabrix/driverlink/PipeClientTransport.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TempPrefix.h"
#include "tests/tabrix/SimSystem.h"

namespace kv {
namespace {

class CFixedScreen final : public ScreenSizeSource {
 public:
  void PrimaryScreenSize(uint32_t* w, uint32_t* h) override {
    *w = 1366;
    *h = 768;
  }
};

class DriverLinkSimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_sim.StartDriver());
    ASSERT_TRUE(m_sim.StartService());
    m_app.OpenSharedTables(true);
    ASSERT_TRUE(m_app.SharedDriverTable().IsMapped());
    ASSERT_TRUE(DriverLink::QuickConnect(m_app.LinkContext()));
  }

  DriverSettings Settings() {
    DriverSettings s;
    EXPECT_TRUE(m_sim.ReadSettings(&s));
    return s;
  }

  test::CTempPrefix m_prefix;
  test::CSimSystem m_sim{m_prefix};
  CSystemClock m_clock;
  CPipeClientTransport m_pipes{m_prefix.Paths()};
  CFixedScreen m_screen;
  CRivelleApp m_app{m_prefix.Paths(), m_clock, m_pipes, m_screen, 16};
};

TEST_F(DriverLinkSimTest, OpenReadsDriverInformation) {
  ASSERT_EQ(m_sim.Control("info V7.01.2 17 34 0x0123"), "ok");
  DriverLink link(m_app.LinkContext());
  ASSERT_TRUE(link.Open());
  EXPECT_EQ(m_app.DriverState().DriverVersion(), "V7.01.2");
  EXPECT_EQ(m_app.DriverState().InfoWord(0), 17);
  EXPECT_EQ(m_app.DriverState().InfoWord(1), 34);
  EXPECT_EQ(m_app.DriverState().FirmwareVersionWord(), 0x0123);
  EXPECT_EQ(m_app.SharedDriverTable().DriverVersion(), "V7.01.2");
  EXPECT_EQ(m_app.SharedDriverTable().FirmwareVersion(), "1.23");
}

TEST_F(DriverLinkSimTest, CalibrationReachesTheDriverTruncated) {
  DriverLink link(m_app.LinkContext());
  ASSERT_TRUE(link.Open());
  ASSERT_TRUE(link.SetCalibration(1.2345, 0.9876, -3.7, 2.2));
  DriverSettings s = Settings();
  EXPECT_EQ(s.m_uCalibrationSwitch, 1);
  EXPECT_EQ(s.m_uScreenWidth, 1366);
  EXPECT_EQ(s.m_uScreenHeight, 768);
  EXPECT_EQ(s.m_iRatioX, 1234);
  EXPECT_EQ(s.m_iOffsetX, -3);
  EXPECT_EQ(s.m_iRatioY, 987);
  EXPECT_EQ(s.m_iOffsetY, 2);
  CalibrationBlock c = m_app.SharedDriverTable().Calibration();
  EXPECT_EQ(c.m_uValid, 1u);
  EXPECT_EQ(c.m_dRatioX, 1.2345);
  EXPECT_EQ(c.m_dOffsetX, -3.7);

  // Calibration mode puts the all-zero record in: size, ratios and offsets are gone.
  ASSERT_TRUE(link.SetCalibrationMode(true));
  EXPECT_EQ(m_app.DriverState().CalibrationMode(), 1u);
  DriverSettings zero = Settings();
  EXPECT_EQ(zero.m_uCalibrationSwitch, 0);
  EXPECT_EQ(zero.m_uScreenWidth, 0);
  EXPECT_EQ(zero.m_uScreenHeight, 0);
  EXPECT_EQ(zero.m_iRatioX, 0);
  EXPECT_EQ(zero.m_iOffsetX, 0);
  EXPECT_EQ(zero.m_iRatioY, 0);
  EXPECT_EQ(zero.m_iOffsetY, 0);
  ASSERT_TRUE(link.SetCalibrationMode(false));
  EXPECT_EQ(Settings().m_uCalibrationSwitch, 1);
  EXPECT_EQ(m_app.DriverState().CalibrationMode(), 0u);
}

TEST_F(DriverLinkSimTest, SettingsCommandsChangeOnlyTheirFields) {
  DriverLink link(m_app.LinkContext());
  ASSERT_TRUE(link.Open());
  ASSERT_TRUE(link.SetPenButtonMode(2));
  ASSERT_TRUE(link.SetRotation(90));
  ASSERT_TRUE(link.SetInputEnable(1));
  uint32_t flag = 1;
  ASSERT_TRUE(link.SetPanelState(3, &flag));
  DriverSettings s = Settings();
  EXPECT_EQ(s.m_uPenButtonMode, 0x8002);
  EXPECT_EQ(s.m_uRotation, 90);
  EXPECT_EQ(s.m_uInputEnable, 1);
  EXPECT_EQ(s.m_uPanelStateCode, 3);
  EXPECT_EQ(s.m_uPanelStateFlag, 1);
  EXPECT_EQ(flag, 1u);
  EXPECT_EQ(m_app.SharedDriverTable().PenButtonMode(), 2u);
  EXPECT_EQ(m_app.SharedDriverTable().Rotation(), 90u);
}

TEST_F(DriverLinkSimTest, TouchPointAndTouchMode) {
  ASSERT_EQ(m_sim.Control("touch 1200 64000"), "ok");
  DriverLink link(m_app.LinkContext());
  ASSERT_TRUE(link.Open());
  ASSERT_TRUE(link.TakeTouchPoint(false));
  EXPECT_EQ(m_app.DriverState().TouchX(), 1200);
  EXPECT_EQ(m_app.DriverState().TouchY(), 64000);
  // Taking the point marks it consumed in the driver.
  EXPECT_EQ(m_sim.Control("touchpoint").substr(0, 16), "ffffffffffffffff");
  ASSERT_TRUE(link.SetTouchMode(1));
  EXPECT_EQ(m_sim.Control("touchmode"), "1");
}

TEST_F(DriverLinkSimTest, WaitStatusBlocksUntilTheStatusChanges) {
  std::atomic<bool> done{false};
  std::atomic<bool> result{false};
  std::thread watcher([&] {
    DriverLink link(m_app.LinkContext());
    result = link.Open() && link.WaitStatus();
    done = true;
  });
  // Nothing has changed yet, so the wait must still be pending.
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_FALSE(done.load());
  // Configuration keeps working meanwhile: the wait has a pipe of its own.
  DriverLink other(m_app.LinkContext());
  EXPECT_TRUE(other.Open());
  EXPECT_TRUE(other.SetRotation(180));
  EXPECT_FALSE(done.load());
  ASSERT_EQ(m_sim.Control("status 0x30"), "ok");
  watcher.join();
  EXPECT_TRUE(result.load());
  EXPECT_EQ(m_app.DriverState().StatusFlags(), 0x30u);
}

TEST_F(DriverLinkSimTest, CancelStatusWaitReleasesThePendingWait) {
  m_app.DriverState().SetStatusFlags(0x10);
  std::atomic<bool> done{false};
  std::atomic<bool> result{false};
  std::thread watcher([&] {
    DriverLink link(m_app.LinkContext());
    result = link.Open() && link.WaitStatus();
    done = true;
  });
  std::this_thread::sleep_for(std::chrono::milliseconds(150));
  EXPECT_FALSE(done.load());
  // The button watch thread is released the way shutdown does it: up to 10 tries.
  for (int i = 0; i < 10 && !done.load(); ++i) {
    DriverLink link(m_app.LinkContext());
    EXPECT_TRUE(link.Open() && link.CancelStatusWait());
    for (int j = 0; j < 100 && !done.load(); ++j) std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  watcher.join();
  EXPECT_TRUE(done.load());
}

TEST_F(DriverLinkSimTest, DisconnectDisablesInputAndClosesTheDevice) {
  DriverLink link(m_app.LinkContext());
  ASSERT_TRUE(link.Open());
  ASSERT_TRUE(link.SetInputEnable(1));
  DriverLink::Disconnect(m_app.LinkContext());
  EXPECT_EQ(Settings().m_uInputEnable, 0);
  // The service holds no device path now, so the driver cannot be reached.
  DriverLink after(m_app.LinkContext());
  EXPECT_FALSE(after.Open());
  EXPECT_TRUE(DriverLink::QuickConnect(m_app.LinkContext()));
}

class DriverLinkNoServiceTest : public ::testing::Test {
 protected:
  test::CTempPrefix m_prefix;
  test::CSimSystem m_sim{m_prefix};
  test::CFakeClock m_clock;  // Connect gives up at once instead of after its time limit
  CPipeClientTransport m_pipes{m_prefix.Paths()};
  CFixedScreen m_screen;
  CRivelleApp m_app{m_prefix.Paths(), m_clock, m_pipes, m_screen, 16};
};

TEST_F(DriverLinkNoServiceTest, OpenFailsAndEmptiesTheVersionText) {
  ASSERT_TRUE(m_sim.StartDriver());
  m_app.OpenSharedTables(true);
  m_app.SharedDriverTable().SetDriverVersion("old");
  m_app.SharedDriverTable().SetFirmwareVersion(0x0101);
  DriverLink link(m_app.LinkContext());
  EXPECT_FALSE(link.Open());
  EXPECT_FALSE(link.Ok());
  EXPECT_EQ(m_app.SharedDriverTable().DriverVersion(), "");
  EXPECT_EQ(m_app.SharedDriverTable().FirmwareVersion(), "");
  EXPECT_TRUE(link.SetRotation(90));
  EXPECT_TRUE(link.SetCalibration(2, 2, 1, 1));
  EXPECT_TRUE(link.WaitStatus());
  // Nothing reached the shared table, since nothing was sent.
  EXPECT_EQ(m_app.SharedDriverTable().Rotation(), 0u);
  EXPECT_EQ(m_app.SharedDriverTable().Calibration().m_uValid, 0u);
  EXPECT_FALSE(DriverLink::QuickConnect(m_app.LinkContext()));
  EXPECT_FALSE(DriverLink::StartupConnect(m_app.LinkContext()));
}

}  // namespace
}  // namespace kv
