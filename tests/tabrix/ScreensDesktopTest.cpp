// The settings screens in the real tray program on a real X server, opened from the tray
// menu as a person would: the property sheet changes a setting that reaches the driver
// stand-in and the hives; the test display's service mode switches the driver's input off
// for its time and on again.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <thread>

#include "common/DriverSettings.h"
#include "platform/posix/SqliteRegistry.h"
#include "tests/tabrix/TrayDesktopFixture.h"

namespace kv {
namespace {

using namespace std::chrono_literals;
using test::WaitUntil;
const std::string kModelKey = "SOFTWARE\\KAVRO\\Corvane\\Setting\\VT-R700A";

class ScreensDesktopTest : public test::CTrayDesktopFixture {
 protected:
  void SetUp() override {
    test::CTrayDesktopFixture::SetUp();
    if (HasFatalFailure()) return;
    ASSERT_TRUE(m_tabrix.Start("tabrix"));
    ASSERT_TRUE(WaitUntil(60s, [&] { return m_desktop.TrayIcons().size() == 1; }));
    ASSERT_TRUE(InputEnabled(1));
  }

  uint32_t Hive(RegistryHive hive, const std::string& name) {
    CSqliteRegistry registry(m_prefix.Paths());
    uint32_t value = 0xFFFFFFFF;
    registry.QueryDword(hive, kModelKey, name, &value);
    return value;
  }
  // The menu of a program whose commands do not reach these screens yet answers with a
  // box captioned with the program's title instead.
  bool MenuOpensScreens() { return m_desktop.FindWindows("Corvane").empty(); }
  void Shot(const std::string& name) {
    if (const char* dir = getenv("KV_SCREENSHOT_DIR")) m_desktop.Screenshot(std::string(dir) + "/" + name);
  }
};

TEST_F(ScreensDesktopTest, PropertiesChangeTheFunctionButtonAtDriverAndHives) {
  ASSERT_TRUE(OpenMenu());
  ASSERT_TRUE(m_desktop.Key("r"));  // "Properties...(&R)"
  const unsigned long sheet = m_desktop.WaitForShownWindow("Property Settings", 10000);
  if (sheet == 0 && !MenuOpensScreens()) GTEST_SKIP() << "the menu does not open the screens";
  ASSERT_NE(sheet, 0u) << "no property sheet";
  // Dual touch (the default input mode): the operation page alone. Its first list is
  // "Function Button 1", at "RightClick"; one step up is "Disable".
  ASSERT_TRUE(m_desktop.KeyTo(sheet, "Tab"));
  ASSERT_TRUE(m_desktop.Key("Up"));
  Shot("sheet.png");
  ASSERT_TRUE(m_desktop.Key("Return"));
  ASSERT_TRUE(m_desktop.WaitForNoWindow("Property Settings", 10000));
  EXPECT_TRUE(WaitUntil(10s, [&] {
    DriverSettings s;
    return m_sim.ReadSettings(&s) && s.m_uPenButtonMode == 0x8100;
  }));
  EXPECT_EQ(Hive(RegistryHive::LOCAL_MACHINE, "PenButon"), 0x0100u);
  EXPECT_EQ(Hive(RegistryHive::CURRENT_USER, "PenButon"), 0x0100u);
  EXPECT_TRUE(m_tabrix.Running());
}

TEST_F(ScreensDesktopTest, TestDisplaysServiceModeTurnsTheDriverOffForItsTime) {
  ASSERT_TRUE(OpenMenu());
  ASSERT_TRUE(m_desktop.Key("t"));  // "Hardware Information(&T)"
  ASSERT_TRUE(m_desktop.Key("t"));  // "Test Information Display...(&T)"
  const unsigned long display = m_desktop.WaitForShownWindow("Test Information Display", 10000);
  if (display == 0 && !MenuOpensScreens()) GTEST_SKIP() << "the menu does not open the screens";
  ASSERT_NE(display, 0u) << "no test display";
  int x, y, w, h;
  ASSERT_TRUE(m_desktop.Geometry(display, &x, &y, &w, &h));
  // "Service Mode" sits in the bottom right corner.
  ASSERT_TRUE(m_desktop.Click(x + w - 45, y + h - 22));
  const unsigned long service = m_desktop.WaitForShownWindow("Service Mode", 10000);
  ASSERT_NE(service, 0u) << "no service mode dialog";
  EXPECT_TRUE(InputEnabled(0));
  EXPECT_EQ(m_sim.Control("touchmode"), "0");
  Shot("service.png");
  ASSERT_TRUE(m_desktop.KeyTo(service, "Escape"));
  ASSERT_TRUE(m_desktop.WaitForNoWindow("Service Mode", 10000));
  EXPECT_TRUE(InputEnabled(1));
  EXPECT_TRUE(WaitUntil(10s, [&] { return m_sim.Control("touchmode") == "1"; }));
  // The display stays open; the hive keeps the touch mode it had.
  EXPECT_TRUE(m_desktop.IsShown(display));
  EXPECT_EQ(Hive(RegistryHive::CURRENT_USER, "InputMode"), 32u);
}

}  // namespace
}  // namespace kv
