// Start-up decisions of the sensor tool: one instance at a time, the settings path and
// the caption a failed connect shows, whatever the settings file holds.
#include <gtest/gtest.h>

#include <fstream>

#include "optrim/ui/TevraStart.h"
#include "tests/support/TempPrefix.h"

namespace kv {
namespace {

TEST(TevraStartTest, ASecondInstanceIsRefusedWhileTheFirstRuns) {
  test::CTempPrefix prefix;
  CTevraStart first({"optrim"}, prefix.Dir());
  CTevraStart second({"optrim", "-b"}, prefix.Dir());
  ASSERT_TRUE(first.AcquireInstance(prefix.Paths()));
  EXPECT_FALSE(second.AcquireInstance(prefix.Paths()));
  first.ReleaseInstance();
  EXPECT_TRUE(second.AcquireInstance(prefix.Paths()));
}

TEST(TevraStartTest, FailureCaptionFollowsTheSwitchAndTheSettingsFile) {
  test::CTempPrefix prefix;
  struct Case {
    std::vector<std::string> args;
    const char* file;  // nullptr: no file
    const char* caption;
  };
  const Case cases[] = {
      {{"optrim", "-b"}, nullptr, " Set Manually (4 Points)"},
      {{"optrim"}, nullptr, " キャリブレーション"},
      {{"optrim", "-p"}, nullptr, " Set Manually (25 Points)"},
      {{"optrim", "-p"}, "", " Set Manually (25 Points)"},
      {{"optrim", "-p"}, "[CALIBRATION_DATA_GEN]\npreciseNx=3\n", " Set Manually (20 Points)"},
      {{"optrim", "-p"}, "[CALIBRATION_DATA_GEN]\npreciseNx=0\npreciseNy=10\n",
       " Set Manually (25 Points)"},
      {{"optrim", "-p"}, "[CALIBRATION_DATA_GEN]\npreciseNx=abc\npreciseNy=\n",
       " Set Manually (25 Points)"},
      {{"optrim", "-b", "-p", "Other.ini"}, "[CALIBRATION_DATA_GEN]\npreciseNy=1\n",
       " Set Manually (10 Points)"},
  };
  for (const Case& c : cases) {
    CTevraStart start(c.args, prefix.Dir());
    std::remove(start.SettingsPath().c_str());
    if (c.file) std::ofstream(start.SettingsPath()) << c.file;
    EXPECT_EQ(start.ConnectFailureCaption(CStringTable::BuiltIn("optrim")), c.caption)
        << (c.file ? c.file : "(no file)");
  }
}

TEST(TevraStartTest, SettingsFileLivesBesideTheProgram) {
  CTevraStart start({"optrim", "-p", "Optrim_y1200.ini", "-r1"}, "/opt/kavro/bin/");
  EXPECT_EQ(start.SettingsPath(), "/opt/kavro/bin/Optrim_y1200.ini");
  EXPECT_EQ(start.Args().rotation, 1);
  EXPECT_EQ(CTevraStart({"optrim"}, "/opt/x").SettingsPath(), "/opt/x/Optrim.ini");
}

}  // namespace
}  // namespace kv
