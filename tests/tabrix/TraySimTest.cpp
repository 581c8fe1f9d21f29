// The tray menu's commands and the device events against the real service and
// stand-ins: what reaches the driver, what the icon says, which questions and banners
// the user sees, and that a lost service or panel always ends in driver off.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <chrono>
#include <thread>

#include "tabrix/app/HotKeyDispatcher.h"
#include "tabrix/app/TrayCommands.h"
#include "tests/tabrix/TraySimFixture.h"

namespace kv {
namespace {

using namespace std::chrono_literals;

class TraySimTest : public test::CTraySimFixture {};

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

TEST_F(TraySimTest, HotKeysFromTheSettingsAndWhatTheyDoWithoutAPreset) {
  auto& keys = m_program->hotKeys.m_registered;
  SettingsStore& settings = m_program->shell->Settings();
  EXPECT_EQ(keys[0], settings.HotKeyCode(0));
  EXPECT_EQ(keys[1], settings.HotKeyCode(1));
  EXPECT_TRUE(m_program->boxes.m_shown.empty());

  CHotKeyDispatcher& dispatcher = Window().Keys();
  dispatcher.OnHotKey(3);  // preset 1: none installed for this screen
  EXPECT_EQ(m_program->beeper.m_beeps, std::vector<uint32_t>{0});
  Window().SetBusy(true);
  dispatcher.OnHotKey(1);  // easy calibration while busy
  EXPECT_EQ(m_program->beeper.m_beeps.back(), MBF_ICON_EXCLAMATION);
  Window().SetBusy(false);
  Window().SwitchDriver(false);
  dispatcher.OnHotKey(0);
  EXPECT_EQ(m_program->beeper.m_beeps.size(), 3u);
  EXPECT_TRUE(m_program->views.m_autoSets.empty());

  // A key another program holds: the message, and the program goes on without it.
  dispatcher.UnregisterAll();
  m_program->hotKeys.m_taken[settings.HotKeyCode(1)] = true;
  dispatcher.RegisterAll();
  ASSERT_EQ(m_program->boxes.m_shown.size(), 1u);
  EXPECT_EQ(m_program->boxes.m_shown[0].m_sText, m_program->shell->Strings().Get(57738));
  EXPECT_EQ(keys.count(1), 0u);
  EXPECT_EQ(keys.count(0), 1u);
}

}  // namespace
}  // namespace kv
