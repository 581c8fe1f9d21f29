// The real tray program on a real X server with a tray host, the service and the hardware
// stand-ins, used as a person would: it starts into the tray, a second start warns, a
// third only brings the warning forward, "/Quit" and SIGTERM end it cleanly.
#include <gtest/gtest.h>
#include <sys/wait.h>

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

bool ExitedWith(int status, int code) { return WIFEXITED(status) && WEXITSTATUS(status) == code; }

class TabrixDesktopTest : public test::CTrayDesktopFixture {
 protected:
  // Running, in the tray, the panel set up and the driver on.
  void StartFirst() {
    ASSERT_TRUE(m_tabrix.Start("tabrix"));
    ASSERT_TRUE(WaitUntil(60s, [&] { return m_desktop.TrayIcons().size() == 1; }))
        << "no tray icon";
    ASSERT_TRUE(InputEnabled(1));
    ASSERT_NE(m_desktop.WaitForWindow("KV_TPdrv_Window", 5000), 0u);
  }
};

TEST_F(TabrixDesktopTest, StartsIntoTheTrayAndRefusesASecondCopy) {
  ASSERT_NO_FATAL_FAILURE(StartFirst());

  test::CChildProcess second, third;
  ASSERT_TRUE(second.Start("tabrix"));
  unsigned long box = m_desktop.WaitForShownWindow("Second Instance Warning", 30000);
  ASSERT_NE(box, 0u) << "no warning";
  // A third start while the box shows only brings it forward and ends.
  ASSERT_TRUE(third.Start("tabrix"));
  int status = -1;
  ASSERT_TRUE(third.WaitExit(30000, &status));
  EXPECT_TRUE(ExitedWith(status, 0));
  EXPECT_EQ(m_desktop.FindWindows("Second Instance Warning").size(), 1u);

  ASSERT_TRUE(m_desktop.KeyTo(box, "Return"));
  ASSERT_TRUE(second.WaitExit(30000, &status));
  EXPECT_TRUE(ExitedWith(status, 0));
  EXPECT_TRUE(m_tabrix.Running());
  EXPECT_EQ(m_desktop.TrayIcons().size(), 1u);

  // "/Quit" asks the running copy to close; it puts the driver back to rest.
  test::CChildProcess quit;
  ASSERT_TRUE(quit.Start("tabrix", {"/Quit"}));
  ASSERT_TRUE(quit.WaitExit(30000, &status));
  ASSERT_TRUE(m_tabrix.WaitExit(30000, &status));
  EXPECT_TRUE(ExitedWith(status, 0));
  EXPECT_TRUE(InputEnabled(0));
  EXPECT_TRUE(WaitUntil(5s, [&] { return m_desktop.TrayIcons().empty(); }));
}

TEST_F(TabrixDesktopTest, MenuHotKeyAndPenSoftwareLinkAsAPersonAndAPenProgramUseThem) {
  // A program folder of its own, so that its Tabrix.ini links the peer's window.
  const std::string dir = m_prefix.Dir() + "/program";
  ASSERT_EQ(m_desktop.Run("mkdir -p '" + dir + "' && cp '" + test::CChildProcess::BinaryPath("tabrix") +
                          "' '" + dir + "/tabrix' && printf '[OtherPenSoft]\\nWindowName=(PeerWin)\\n' > '" +
                          dir + "/Tabrix.ini'"),
            0);
  const std::string heard = m_prefix.Dir() + "/peer.txt";
  test::CChildProcess peer;
  ASSERT_TRUE(peer.Start("/bin/sh", {"-c", "exec '" + test::CChildProcess::BinaryPath("pen-peer") +
                                              "' listen PeerWin > '" + heard + "'"}));
  ASSERT_NE(m_desktop.WaitForWindow("PeerWin", 10000), 0u);
  ASSERT_TRUE(m_tabrix.Start(dir + "/tabrix"));
  ASSERT_TRUE(WaitUntil(60s, [&] { return m_desktop.TrayIcons().size() == 1; }));
  ASSERT_TRUE(InputEnabled(1));

  // "Get PenMode" set as the command window's text is answered to the linked window
  // (WM_USER + 302, wParam 0) and the window keeps its own text.
  const std::string peerTool = "'" + test::CChildProcess::BinaryPath("pen-peer") + "'";
  ASSERT_EQ(m_desktop.Run(peerTool + " settext KV_TPdrv_CommandClass 'Get PenMode'"), 0);
  EXPECT_TRUE(WaitUntil(10s, [&] {
    return m_desktop.Run("grep -q '^1326 0 ' '" + heard + "'") == 0;
  })) << "no answer reached the linked window";
  EXPECT_TRUE(WaitUntil(5s, [&] {
    return m_desktop.Run(peerTool + " text KV_TPdrv_CommandClass | grep -qx KV_TPDrv_CommandWindow") == 0;
  }));

  // The calibration hot key opens the calibration selection; Esc cancels it.
  ASSERT_TRUE(m_desktop.Key("ctrl+shift+d"));
  unsigned long box = m_desktop.WaitForShownWindow("Select Calibration", 30000);
  ASSERT_NE(box, 0u) << "the hot key opened nothing";
  ASSERT_TRUE(m_desktop.KeyTo(box, "Escape"));
  ASSERT_TRUE(m_desktop.WaitForNoWindow("Select Calibration", 10000));

  // The tray icon's menu, and Exit from it: the question, answered Yes, ends the program.
  ASSERT_EQ(m_desktop.TrayIcons().size(), 1u);
  ASSERT_TRUE(OpenMenu());
  ASSERT_NE(m_desktop.WaitForPopup(100, 100, 10000), 0u) << "no menu";
  ASSERT_TRUE(m_desktop.Key("x"));
  box = m_desktop.WaitForShownWindow("Corvane", 10000);
  ASSERT_NE(box, 0u) << "no exit question";
  ASSERT_TRUE(m_desktop.KeyTo(box, "Return"));
  int status = -1;
  ASSERT_TRUE(m_tabrix.WaitExit(30000, &status));
  EXPECT_TRUE(ExitedWith(status, 0));
  EXPECT_TRUE(InputEnabled(0));
}

TEST_F(TabrixDesktopTest, TerminationEndsThroughTheExitSequence) {
  ASSERT_NO_FATAL_FAILURE(StartFirst());
  EXPECT_TRUE(m_desktop.Screenshot(m_prefix.Dir() + "/tray.png"));
  int status = m_tabrix.Stop(SIGTERM);
  EXPECT_TRUE(ExitedWith(status, 0));
  EXPECT_TRUE(InputEnabled(0));
  // The instance is gone: a new start is the instance again.
  ASSERT_NO_FATAL_FAILURE(StartFirst());
}

TEST_F(TabrixDesktopTest, ResolutionChangeAsksAndBothAnswersDoWhatTheySay) {
  {
    // A user calibration made earlier at 1280 x 1024, and no presets installed.
    CSqliteRegistry registry(m_prefix.Paths());
    const std::string key = "SOFTWARE\\KAVRO\\Corvane\\Setting\\VT-R700A\\1280_1024";
    registry.CreateKey(RegistryHive::LOCAL_MACHINE, key);
    registry.SetString(RegistryHive::LOCAL_MACHINE, key, "CalibRatioX", "1.500000");
    registry.SetString(RegistryHive::LOCAL_MACHINE, key, "CalibRatioY", "0.500000");
    registry.SetString(RegistryHive::LOCAL_MACHINE, key, "CalibOffsetX", "-12.500000");
    registry.SetString(RegistryHive::LOCAL_MACHINE, key, "CalibOffsetY", "7.000000");
  }
  ASSERT_NO_FATAL_FAILURE(StartFirst());
  ASSERT_TRUE(SetScreenSize(1280, 1024));
  unsigned long notice = m_desktop.WaitForShownWindow("Corvane", 30000);
  ASSERT_NE(notice, 0u) << "no question after the change";
  if (const char* shots = std::getenv("KV_SCREENSHOT_DIR"))
    m_desktop.Screenshot(std::string(shots) + "/change_display_desktop.png");
  // "No": the stored calibration of the new size goes to the driver.
  ASSERT_TRUE(m_desktop.KeyTo(notice, "n"));
  EXPECT_TRUE(WaitUntil(20s, [&] {
    DriverSettings s;
    return m_sim.ReadSettings(&s) && s.m_uScreenWidth == 1280 && s.m_uScreenHeight == 1024 &&
           s.m_iRatioX == 1500 && s.m_iRatioY == 500 && s.m_iOffsetX == -12 && s.m_iOffsetY == 7;
  })) << "the stored values did not reach the driver";
  EXPECT_TRUE(WaitUntil(10s, [&] { return !m_desktop.IsShown(notice); }));

  // Back to the full size: asked again; "Yes" starts the calibration.
  ASSERT_TRUE(SetScreenSize(1920, 1080));
  ASSERT_TRUE(WaitUntil(30s, [&] { return m_desktop.IsShown(notice); })) << "no second question";
  ASSERT_TRUE(m_desktop.KeyTo(notice, "Return"));
  const unsigned long selection = m_desktop.WaitForShownWindow("Select Calibration", 30000);
  ASSERT_NE(selection, 0u) << "Yes did not start the calibration";
  EXPECT_FALSE(m_desktop.IsShown(notice));
  ASSERT_TRUE(m_desktop.KeyTo(selection, "Escape"));
  EXPECT_TRUE(m_desktop.WaitForNoWindow("Select Calibration", 10000));
}

}  // namespace
}  // namespace kv
