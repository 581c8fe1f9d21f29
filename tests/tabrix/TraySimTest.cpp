// The tray menu's commands and the device events against the real service and
// stand-ins: what reaches the driver, what the icon says, which questions and banners
// the user sees, and that a lost service or panel always ends in driver off.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "platform/posix/SimHidDeviceWatch.h"
#include "tabrix/app/DeviceHandler.h"
#include "tabrix/app/TrayCommands.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ControlChannel.h"
#include "tests/tabrix/ProgramUnderTest.h"
#include "tests/tabrix/SimSystem.h"

namespace kv {
namespace {

using namespace std::chrono_literals;

class TraySimTest : public ::testing::Test {
 protected:
  void SetUp() override {
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
    m_program = std::make_unique<test::ProgramUnderTest>(m_prefix, dir);
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

  test::CTempPrefix m_prefix;
  test::CSimSystem m_sim{m_prefix};
  test::CChildProcess m_panel;
  test::CControlChannel m_panelCtl;
  std::unique_ptr<CSimHidDeviceWatch> m_watch;
  std::unique_ptr<test::ProgramUnderTest> m_program;
};

TEST_F(TraySimTest, RotationAsksOnceReachesTheDriverAndTurnsTheIcon) {
  auto& boxes = m_program->boxes;
  boxes.m_answers = {MBR_NO};
  Commands().OnCommand(57408);  // 90 degrees, declined
  EXPECT_EQ(Settings().m_uRotation, 0);
  ASSERT_EQ(boxes.m_shown.size(), 1u);
  EXPECT_EQ(boxes.m_shown[0].m_sText, m_program->shell->Strings().Get(60116));

  boxes.m_answers = {MBR_YES};
  Commands().OnCommand(57408);
  EXPECT_EQ(Settings().m_uRotation, 90);
  EXPECT_EQ(m_program->shell->Settings().GetRotationAngle(), 90u);
  EXPECT_EQ(m_program->views.m_view.m_icons.back(), 258u);  // on, rotated (dual set)
  EXPECT_FALSE(Window().Busy());
  EXPECT_EQ(m_program->views.m_serviceButton, (std::vector<bool>{false, true, false, true}));

  // The stored angle again: no question, nothing sent.
  Commands().OnCommand(57408);
  EXPECT_EQ(boxes.m_shown.size(), 2u);
}

TEST_F(TraySimTest, DriverSwitchOffAndOnAgain) {
  auto& boxes = m_program->boxes;
  boxes.m_answers = {MBR_YES};
  EXPECT_FALSE(Commands().SwitchDriver());
  EXPECT_EQ(boxes.m_shown.back().m_sText, m_program->shell->Strings().Get(57691));
  EXPECT_FALSE(Window().DriverOn());
  EXPECT_EQ(Settings().m_uInputEnable, 0);
  EXPECT_EQ(m_program->views.m_view.m_icons.back(), 257u);  // off
  EXPECT_EQ(Window().CommandText(), "");

  // Rotation refuses while the driver is off.
  Commands().OnCommand(57409);
  EXPECT_EQ(boxes.m_shown.back().m_sText, m_program->shell->Strings().Get(57736));
  EXPECT_EQ(boxes.m_shown.back().m_uFlags & 0xF0, MBF_ICON_HAND);

  EXPECT_TRUE(Commands().SwitchDriver());
  EXPECT_TRUE(Window().DriverOn());
  EXPECT_EQ(Settings().m_uInputEnable, 1);
  EXPECT_EQ(Window().CommandText(), "KV_TPDrv_CommandWindow");
}

TEST_F(TraySimTest, ServiceGoneMakesTheNextCommandSwitchToDriverOff) {
  m_sim.StopService();
  m_program->boxes.m_answers = {MBR_YES};
  Commands().OnCommand(57410);  // 270 degrees: the driver cannot be reached
  EXPECT_FALSE(Window().DriverOn());
  EXPECT_EQ(m_program->views.m_guides, std::vector<int>{0});
  EXPECT_EQ(m_program->views.m_view.m_icons.back(), 257u);
  EXPECT_EQ(m_program->shell->Settings().GetRotationAngle(), 0u);
}

TEST_F(TraySimTest, PanelUnpluggedAndPluggedFlipsTheDriverState) {
  ASSERT_EQ(m_panelCtl("unplug"), "ok");
  ASSERT_TRUE(DeliverDeviceEvent(false));
  EXPECT_FALSE(Window().DriverOn());
  EXPECT_EQ(m_program->views.m_guides, std::vector<int>{2});
  EXPECT_EQ(m_program->shell->App().SharedModelTable().ModelName(), "");

  ASSERT_EQ(m_panelCtl("plug"), "ok");
  ASSERT_TRUE(DeliverDeviceEvent(true));
  EXPECT_TRUE(Window().DriverOn());
  EXPECT_EQ(m_program->views.m_guides, (std::vector<int>{2, 1}));
  EXPECT_EQ(Settings().m_uInputEnable, 1);
  EXPECT_EQ(m_program->shell->App().SharedModelTable().ModelName(), "VT-R700A");
}

TEST_F(TraySimTest, DevicesOfNoModelAndBurstsChangeNothing) {
  CDeviceHandler& devices = Window().Devices();
  devices.OnDeviceChange({false, DeviceWatch::InterfaceName(0x1234, 0x5678, "x")});
  EXPECT_TRUE(Window().DriverOn());
  // The right identity without the mouse interface class is no broadcast of ours either.
  devices.OnDeviceChange({false, "\\\\?\\HID#VID_2F11&PID_5A01#x#{00000000-0000-0000-0000-000000000000}"});
  EXPECT_TRUE(Window().DriverOn());
  for (int i = 0; i < 20; ++i) {
    ASSERT_EQ(m_panelCtl(i % 2 ? "plug" : "unplug"), "ok");
  }
  // Whatever came through, the last word is the panel being there.
  for (const DeviceEvent& e : m_watch->ReadEvents()) devices.OnDeviceChange(e);
  devices.OnDeviceChange({true, DeviceWatch::InterfaceName(0x2F11, 0x5A01, "panel")});
  EXPECT_TRUE(Window().DriverOn());
  EXPECT_EQ(Settings().m_uInputEnable, 1);
}

TEST_F(TraySimTest, ExitAsksAndRefusesWhileTheResolutionNoticeShows) {
  auto& boxes = m_program->boxes;
  Window().SetDisplayChangeShown(true);
  Commands().OnCommand(57414);
  EXPECT_EQ(boxes.m_shown.back().m_sText, m_program->shell->Strings().Get(57744));
  EXPECT_FALSE(Window().Destroyed());
  Window().SetDisplayChangeShown(false);
  boxes.m_answers = {MBR_NO};
  Commands().OnCommand(57414);
  EXPECT_FALSE(Window().Destroyed());
  boxes.m_answers = {MBR_YES};
  Commands().OnCommand(57414);
  EXPECT_TRUE(Window().Destroyed());
  EXPECT_TRUE(m_program->views.m_view.m_bQuit);
  EXPECT_EQ(Settings().m_uInputEnable, 0);
}

}  // namespace
}  // namespace kv
