// optrim as a person runs it, on a real X server against sensor-sim: the unattended basic
// and precise calibrations from the first mark to the flash write, a refused flash write,
// a second start, and the sensor pulled during collection.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "platform/Paths.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ControlChannel.h"
#include "tests/support/DesktopSession.h"
#include "tests/support/TempPrefix.h"

namespace kv {
namespace {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

// A settings file name nobody has beside the program, so the defaults hold.
constexpr const char* NO_SETTINGS = "optrim-desktop-defaults.ini";

class OptrimDesktopTest : public ::testing::Test {
 protected:
  test::CTempPrefix m_prefix;
  std::string m_sTrace = m_prefix.Dir() + "/optrim.err";
  test::CChildProcess m_sim, m_optrim;
  test::CControlChannel m_ctl;
  std::unique_ptr<test::CDesktopSession> m_desk;

  void SetUp() override {
    setenv("KV_HID", "sim", 1);
    // Under the leak checker: the caches fontconfig and D-Bus keep for the life of a Qt
    // program are theirs, not optrim's.
    const std::string suppressions = m_prefix.Dir() + "/lsan.supp";
    std::ofstream(suppressions) << "leak:libfontconfig\nleak:libdbus-1\n";
    static const std::string original = std::getenv("LSAN_OPTIONS") ? std::getenv("LSAN_OPTIONS") : "";
    setenv("LSAN_OPTIONS",
           ((original.empty() ? "" : original + ":") + "suppressions=" + suppressions).c_str(), 1);
    m_desk = std::make_unique<test::CDesktopSession>(1920, 1080, false);
    ASSERT_TRUE(m_desk->Ok());
    ASSERT_TRUE(m_sim.Start("sensor-sim", {"--model", "MQA-KV"}));
    const std::string ctl = m_prefix.Paths().HidDir() + "/sensor.ctl";
    ASSERT_TRUE(test::WaitForPath(ctl, 10000));
    ASSERT_TRUE(m_ctl.Connect(ctl));
    ASSERT_EQ(m_ctl("ping"), "ok");
  }
  void TearDown() override { Shot("end"); }

  void StartOptrim(const std::vector<std::string>& args, test::CChildProcess* child = nullptr,
                   const std::string& trace = "") {
    std::string line = "exec " + test::CChildProcess::BinaryPath("optrim");
    for (const std::string& a : args) line += " '" + a + "'";
    line += " 2>>'" + (trace.empty() ? m_sTrace : trace) + "'";
    ASSERT_TRUE((child ? child : &m_optrim)->Start("/bin/sh", {"-c", line}));
  }
  std::string Trace() {
    std::ifstream in(m_sTrace);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
  }
  bool WaitTrace(const std::string& text, int timeoutMs) {
    const auto deadline = SteadyClock::now() + std::chrono::milliseconds(timeoutMs);
    while (SteadyClock::now() < deadline) {
      if (Trace().find(text) != std::string::npos) return true;
      std::this_thread::sleep_for(20ms);
    }
    return false;
  }
  // Screenshots for a person to look at, when KV_SHOT_DIR names a folder.
  void Shot(const std::string& name) {
    const char* dir = std::getenv("KV_SHOT_DIR");
    if (dir && m_desk && m_desk->Ok())
      m_desk->Screenshot(std::string(dir) + "/" +
                         ::testing::UnitTest::GetInstance()->current_test_info()->name() + "-" +
                         name + ".png");
  }
  std::string Touch(int x, int y) {
    return m_ctl("touch " + std::to_string(static_cast<uint16_t>(x)) + " " +
                 std::to_string(static_cast<uint16_t>(y)) + " 12 12");
  }
  // Holds a finger near (x, y), with a little wobble, until the screen takes the point
  // (by itself, or on Enter when enter is set) and lifts it.
  void TakePoint(int k, int total, int x, int y, bool enter) {
    const std::string collecting = "-> COLLECTING points " + std::to_string(k) + "/" + std::to_string(total);
    const std::string accepted = "-> ACCEPTED points " + std::to_string(k + 1) + "/" + std::to_string(total);
    ASSERT_TRUE(WaitTrace(collecting, 15000)) << "mark " << k << "\n" << Trace();
    if (k == 0 || k == total - 1) Shot("mark" + std::to_string(k));
    const auto start = SteadyClock::now();
    bool pressed = false;
    for (int i = 0; Trace().find(accepted) == std::string::npos; ++i) {
      ASSERT_LT(SteadyClock::now() - start, 20s) << "mark " << k << " never taken\n" << Trace();
      ASSERT_EQ(Touch(x + (i % 3) * 7 - 7, y + (i % 2) * 9), "ok");
      // Past the lockout of the move, with a complete hold: Enter takes it.
      if (enter && !pressed && SteadyClock::now() - start > 900ms) pressed = m_desk->Key("Return");
      std::this_thread::sleep_for(40ms);
    }
    ASSERT_EQ(m_ctl("release"), "ok");
  }
  // Answers the question of the flash write with Yes and closes the verdict.
  void ApplyAndWriteFlash(const std::string& caption, const std::string& verdict) {
    ASSERT_TRUE(WaitTrace("COMPUTING -> DONE", 15000)) << Trace();
    Shot("done");
    ASSERT_TRUE(m_desk->Key("y"));
    // There is no window manager to give a new box the keyboard: the key goes to it
    // directly, or it may land on the window below while the box is being mapped.
    const unsigned long question = m_desk->WaitForShownWindow(caption, 10000);
    ASSERT_NE(question, 0u) << "no question";
    Shot("question");
    ASSERT_TRUE(m_desk->KeyTo(question, "Return"));
    ASSERT_TRUE(WaitTrace("CCalScreen: flash " + verdict, 20000)) << Trace();
    const unsigned long answer = m_desk->WaitForShownWindow(caption, 10000);
    ASSERT_NE(answer, 0u) << "no verdict";
    Shot("verdict");
    ASSERT_TRUE(m_desk->KeyTo(answer, "Return"));
  }
  void ExpectEnds() {
    int status = -1;
    ASSERT_TRUE(m_optrim.WaitExit(15000, &status)) << Trace();
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status << "\n" << Trace();
  }
  static std::vector<long> Numbers(const std::string& text) {
    std::istringstream in(text);
    std::vector<long> v;
    for (long n; in >> n;) v.push_back(n);
    return v;
  }
};

TEST_F(OptrimDesktopTest, BasicCalibrationByAutoConfirmEndsInTheSensorsFlash) {
  ASSERT_NO_FATAL_FAILURE(StartOptrim({"-b", NO_SETTINGS}));
  // Marks round the screen: top-left, bottom-left, bottom-right, top-right.
  const int xs[] = {-15000, -15000, 15000, 15000}, ys[] = {3000, 27000, 27000, 3000};
  for (int k = 0; k < 4; ++k) ASSERT_NO_FATAL_FAILURE(TakePoint(k, 4, xs[k], ys[k], false));
  ASSERT_NO_FATAL_FAILURE(ApplyAndWriteFlash(" Set Manually (4 Points)", "written"));
  ASSERT_NO_FATAL_FAILURE(ExpectEnds());
  EXPECT_EQ(m_ctl("flashed"), "1");
  EXPECT_EQ(m_ctl("mode"), "0");
  // cols rows minX minY maxX maxY cells...: the corners are where the fingers were.
  const std::vector<long> basic = Numbers(m_ctl("table basic"));
  ASSERT_GE(basic.size(), 7u) << m_ctl("table basic");
  EXPECT_EQ(basic[0], 1);
  EXPECT_EQ(basic[1], 1);
  EXPECT_NEAR(basic[2], -15000, 60);
  EXPECT_NEAR(basic[3], 3000, 60);
  EXPECT_NEAR(basic[4], 15000, 60);
  EXPECT_NEAR(basic[5], 27000, 60);
  EXPECT_EQ(basic[6], 4);
}

TEST_F(OptrimDesktopTest, PreciseCalibrationOf25PointsOnATurnedScreen) {
  ASSERT_NO_FATAL_FAILURE(StartOptrim({"-p", "-r1", NO_SETTINGS}));
  // Turned a quarter: the sensor's columns run down the screen, its rows from the right
  // edge to the left.
  for (int k = 0; k < 25; ++k) {
    const int row = 4 - k % 5, column = k / 5;
    ASSERT_NO_FATAL_FAILURE(TakePoint(k, 25, -16000 + 8000 * column, 3000 + 6000 * row, true));
  }
  ASSERT_NO_FATAL_FAILURE(ApplyAndWriteFlash(" Set Manually (25 Points)", "written"));
  ASSERT_NO_FATAL_FAILURE(ExpectEnds());
  EXPECT_EQ(m_ctl("flashed"), "1");
  const std::vector<long> precise = Numbers(m_ctl("table precise"));
  ASSERT_GE(precise.size(), 3u);
  EXPECT_EQ(precise[0], 4);
  EXPECT_EQ(precise[1], 4);
  EXPECT_EQ(precise[2], 25);
}

TEST_F(OptrimDesktopTest, RefusedFlashWriteIsReported) {
  ASSERT_EQ(m_ctl("refuseflash 1"), "ok");
  ASSERT_NO_FATAL_FAILURE(StartOptrim({"-b", NO_SETTINGS}));
  const int xs[] = {-15000, -15000, 15000, 15000}, ys[] = {3000, 27000, 27000, 3000};
  for (int k = 0; k < 4; ++k) ASSERT_NO_FATAL_FAILURE(TakePoint(k, 4, xs[k], ys[k], true));
  ASSERT_NO_FATAL_FAILURE(ApplyAndWriteFlash(" Set Manually (4 Points)", "failed"));
  ASSERT_NO_FATAL_FAILURE(ExpectEnds());
  EXPECT_EQ(m_ctl("flashed"), "0");
}

TEST_F(OptrimDesktopTest, SecondStartIsRefusedAndTheFirstRunsOn) {
  ASSERT_NO_FATAL_FAILURE(StartOptrim({NO_SETTINGS}));
  ASSERT_TRUE(WaitTrace("CMainDlg: message 32870", 15000)) << Trace();  // panel opened
  test::CChildProcess second;
  const std::string secondTrace = m_prefix.Dir() + "/second.err";
  ASSERT_NO_FATAL_FAILURE(StartOptrim({"-b", NO_SETTINGS}, &second, secondTrace));
  const unsigned long refusal = m_desk->WaitForShownWindow(" キャリブレーション", 15000);
  ASSERT_NE(refusal, 0u);
  Shot("refusal");
  ASSERT_TRUE(m_desk->KeyTo(refusal, "Return"));
  int status = -1;
  ASSERT_TRUE(second.WaitExit(15000, &status));
  EXPECT_TRUE(m_optrim.Running());
  EXPECT_EQ(m_ctl("mode"), "0") << "the second start never touched the sensor";
  EXPECT_NE(m_desk->WaitForShownWindow("Optrim Sensor", 1000), 0u);
}

TEST_F(OptrimDesktopTest, SensorPulledDuringCollectionEndsTheUnattendedRun) {
  ASSERT_NO_FATAL_FAILURE(StartOptrim({"-b", NO_SETTINGS}));
  ASSERT_NO_FATAL_FAILURE(TakePoint(0, 4, -15000, 3000, false));
  ASSERT_EQ(m_ctl("unplug"), "ok");
  ASSERT_TRUE(WaitTrace("CTevraDlg: device lost", 15000)) << Trace();
  ASSERT_NO_FATAL_FAILURE(ExpectEnds());
  // The panel closed with its device, the screen with it, and the unattended run ended.
  EXPECT_NE(Trace().find("CCalScreen: closed in COLLECTING"), std::string::npos) << Trace();
  EXPECT_EQ(m_ctl("plug"), "ok");
  EXPECT_EQ(m_ctl("flashed"), "0");
}

}  // namespace
}  // namespace kv
