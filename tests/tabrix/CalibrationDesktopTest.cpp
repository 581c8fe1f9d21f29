// Pen calibration as a person does it, with the real programs on a real X server: the hot
// key, the selection, four crosses touched with the pen (the driver stand-in holds the
// raw point, the click is the pen's lift), Y to apply; the driver and the store then hold
// the correction and the crosses are gone.
#include <gtest/gtest.h>

#include "platform/posix/SqliteRegistry.h"
#include "tabrix/calibration/CalibrationGeometry.h"
#include "tests/tabrix/TrayDesktopFixture.h"

namespace kv {
namespace {

using namespace std::chrono_literals;
using test::WaitUntil;

class CalibrationDesktopTest : public test::CTrayDesktopFixture {
 protected:
  bool SurfaceShown() {
    for (unsigned long w : m_desktop.FindWindows("KV_TPdrv_Window"))
      if (m_desktop.IsShown(w)) return true;
    return false;
  }
  // The pen lands on (x, y), 10 px right and 5 px low of where the panel reports it to
  // be, and lifts; true once the program has taken the point from the driver.
  bool Touch(int x, int y) {
    const int64_t rx = (int64_t{x + 10} * 65535 + 1919) / 1920;
    const int64_t ry = (int64_t{y + 5} * 65535 + 1079) / 1080;
    if (m_sim.Control("touch " + std::to_string(rx) + " " + std::to_string(ry)) != "ok") return false;
    if (!m_desktop.Click(x, y)) return false;
    return WaitUntil(20s, [&] { return m_sim.Control("touchpoint").rfind("ffffffffffffffff", 0) == 0; });
  }
};

TEST_F(CalibrationDesktopTest, HotKeyAdvancedFourCrossesAndYes) {
  ASSERT_TRUE(m_tabrix.Start("tabrix"));
  ASSERT_TRUE(WaitUntil(60s, [&] { return m_desktop.TrayIcons().size() == 1; })) << "no tray icon";
  ASSERT_TRUE(InputEnabled(1));

  ASSERT_TRUE(m_desktop.Key("ctrl+shift+d"));
  const unsigned long selection = m_desktop.WaitForShownWindow("Select Calibration", 30000);
  ASSERT_NE(selection, 0u) << "no selection dialog";
  m_desktop.Screenshot(m_prefix.Dir() + "/selection.png");
  // No preset is installed for this screen: Advanced is the choice already.
  ASSERT_TRUE(m_desktop.KeyTo(selection, "Return"));
  ASSERT_TRUE(WaitUntil(30s, [&] { return SurfaceShown(); })) << "no crosses";
  ASSERT_TRUE(WaitUntil(20s, [&] {
    DriverSettings s;
    return m_sim.ReadSettings(&s) && s.m_uCalibrationSwitch == 0;
  })) << "the driver was not put into calibration mode";

  const CCalibrationGeometry screen(1920, 1080);
  for (int i = 0; i < 4; ++i) ASSERT_TRUE(Touch(screen.Centre(i).x, screen.Centre(i).y)) << i;
  const unsigned long question = m_desktop.WaitForShownWindow("Corvane", 30000);
  ASSERT_NE(question, 0u) << "no apply question";
  m_desktop.Screenshot(m_prefix.Dir() + "/question.png");
  ASSERT_TRUE(m_desktop.KeyTo(question, "y"));

  ASSERT_TRUE(WaitUntil(20s, [&] { return !SurfaceShown(); })) << "the crosses stayed";
  DriverSettings s;
  ASSERT_TRUE(WaitUntil(20s, [&] { return m_sim.ReadSettings(&s) && s.m_uCalibrationSwitch == 1; }));
  EXPECT_EQ(s.m_iRatioX, 1000);
  EXPECT_EQ(s.m_iRatioY, 1000);
  EXPECT_EQ(s.m_iOffsetX, 10);
  EXPECT_EQ(s.m_iOffsetY, 5);
  CSqliteRegistry registry(m_prefix.Paths());
  std::string offset;
  ASSERT_EQ(registry.QueryString(RegistryHive::CURRENT_USER,
                                 "SOFTWARE\\KAVRO\\Corvane\\Setting\\VT-R700A\\1920_1080",
                                 "CalibOffsetX", &offset), 0u);
  EXPECT_EQ(offset.substr(0, offset.find('\0')), "10.000000");
}

}  // namespace
}  // namespace kv
