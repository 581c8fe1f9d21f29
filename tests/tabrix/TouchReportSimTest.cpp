// Touch reporting of the firmware link against panel-sim as a real child process: the
// worker asks for the pen's position while the panel reports a touch, the region window
// and the pen programs see it, and commands, a running test and unplugging interrupt it.
#include <gtest/gtest.h>

#include <chrono>
#include <memory>
#include <string>
#include <thread>

#include "platform/posix/SimHidBus.h"
#include "tabrix/app/RivelleApp.h"
#include "tabrix/driverlink/DriverLink.h"
#include "tabrix/driverlink/ModelTable.h"
#include "tabrix/driverlink/PipeClientTransport.h"
#include "tabrix/firmware/TPdrvServiceMode.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ControlChannel.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TempPrefix.h"
#include "tests/tabrix/CalibrationFakes.h"
#include "tests/tabrix/PanelSimHarness.h"
#include "tests/tabrix/SimSystem.h"
#include "tests/tabrix/TouchFakes.h"

namespace kv {
namespace {

using namespace std::chrono_literals;
using test::PenLinkMessage;

class TouchReportSimTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(m_sim.Start("panel-sim", {"--model", "VT-R700A"}));
    ASSERT_TRUE(test::Eventually([this] { return m_ctl.Connect(m_paths.HidDir() + "/panel.ctl"); }));
    ASSERT_EQ(m_ctl("ping"), "ok");
    m_link.PublishRegionWindow(m_window);
    ASSERT_TRUE(m_link.StartWorker());
    // Identify the panel first, as start-up does.
    ASSERT_TRUE(m_link.GetCheckSum(nullptr, nullptr, nullptr));
  }
  void TearDown() override { m_link.StopWorker(); }

  TouchReportContext Context() {
    TouchReportContext c;
    c.m_pState = &m_state;
    c.m_pDisplay = &m_display;
    c.m_pClock = &m_clock;
    c.m_pPenLink = &m_penLink;
    c.m_setPanelState = m_panelStates.Sender();
    return c;
  }
  int TouchRequests() { return std::stoi(m_ctl("count 5")); }
  // The touch requests do not grow over a few worker passes.
  bool TouchRequestsStay() {
    int before = TouchRequests();
    std::this_thread::sleep_for(300ms);
    return TouchRequests() == before;
  }
  int Releases() {
    int n = 0;
    for (const auto& m : m_penLink.Sent()) n += m == PenLinkMessage{1, 0, 0};
    return n;
  }

  test::CTempPrefix m_prefix;
  CPaths m_paths = m_prefix.Paths();
  CSimHidBus m_bus{m_paths};
  CModelTable m_models;
  test::CChildProcess m_sim;
  test::CControlChannel m_ctl;
  CPenInputState m_state;
  test::CFakeDisplay m_display;  // 1920 x 1080
  test::CFakeClock m_clock;
  test::CFakePenLink m_penLink;
  test::CPanelStateLog m_panelStates;
  std::shared_ptr<test::CFakeRegionWindow> m_window = std::make_shared<test::CFakeRegionWindow>();
  CTPdrvServiceMode m_link{m_bus, m_models, nullptr, nullptr, nullptr, test::ShortFirmwareWaits(), Context()};
};

TEST_F(TouchReportSimTest, PenDownIsFollowedUntilPenUp) {
  ASSERT_EQ(TouchRequests(), 0);
  ASSERT_EQ(m_ctl("pen down 16384 8192"), "ok");
  ASSERT_TRUE(test::Eventually([this] { return TouchRequests() >= 3; }));
  EXPECT_TRUE(m_link.TouchInProgress());
  EXPECT_TRUE(m_state.Touching());
  auto at = m_window->Get();
  EXPECT_DOUBLE_EQ(at.m_dX, 16384 * 1920.0 / 32767);
  EXPECT_DOUBLE_EQ(at.m_dY, 8192 * 1080.0 / 32767);
  EXPECT_EQ(m_penLink.Sent().front(), (PenLinkMessage{2, 1, 1}));
  EXPECT_EQ(m_penLink.Sent().at(1), (PenLinkMessage{0, test::CFakeRegionWindow::HANDLE, 0}));

  ASSERT_EQ(m_ctl("pen move 32767 0"), "ok");
  ASSERT_TRUE(test::Eventually([this] { return m_window->Get().m_dX == 1920.0; }));
  EXPECT_EQ(m_window->Get().m_dY, 0.0);

  ASSERT_EQ(m_ctl("pen up"), "ok");
  ASSERT_TRUE(test::Eventually([this] { return !m_link.TouchInProgress() && !m_state.Touching(); }));
  EXPECT_EQ(m_window->Get().m_dX, 0.0);
  EXPECT_TRUE(TouchRequestsStay());
  auto codes = m_panelStates.Codes();
  ASSERT_GE(codes.size(), 2u);
  EXPECT_EQ(codes[0], 2u);
  for (size_t i = 1; i < codes.size(); ++i) EXPECT_EQ(codes[i], 3u) << i;
  // The press went out once; the release ends the link's messages (a touch state follows).
  auto sent = m_penLink.Sent();
  int presses = 0, releases = 0;
  for (const auto& m : sent) {
    presses += m.m_uIndex == 0;
    releases += m.m_uIndex == 1;
  }
  EXPECT_EQ(presses, 1);
  EXPECT_EQ(releases, 1);
  EXPECT_EQ(sent.back(), (PenLinkMessage{2, 1, 0}));
}

TEST_F(TouchReportSimTest, CommandDuringTouchCompletesAndEndsTheTouchForTheDriver) {
  ASSERT_EQ(m_ctl("pen down 1000 1000"), "ok");
  ASSERT_TRUE(test::Eventually([this] { return TouchRequests() >= 2; }));
  ASSERT_EQ(m_ctl("checksum 0x1234 0"), "ok");
  uint32_t sum = 0;
  ASSERT_TRUE(m_link.GetCheckSum(&sum, nullptr, nullptr));
  EXPECT_EQ(sum, 0x1234u);
  EXPECT_FALSE(m_link.TouchInProgress());
  EXPECT_EQ(m_panelStates.Codes(), (std::vector<uint32_t>{2, 3}));
  // The pen is still down, but reporting waits for the next touch.
  EXPECT_TRUE(TouchRequestsStay());
  ASSERT_EQ(m_ctl("pen up"), "ok");
  ASSERT_TRUE(test::Eventually([this] { return Releases() == 1; }));
  int before = TouchRequests();
  ASSERT_EQ(m_ctl("pen down 2000 2000"), "ok");
  ASSERT_TRUE(test::Eventually([&] { return TouchRequests() >= before + 2; }));
  // Write-only commands and several in a row work as well.
  for (int i = 0; i < 3; ++i) {
    EXPECT_TRUE(m_link.SetRegionDetection(1));
    EXPECT_TRUE(m_link.GetCheckSum(nullptr, nullptr, nullptr));
  }
}

TEST_F(TouchReportSimTest, RunningTestAndTouchModeHoldTheRequestsBack) {
  struct Case {
    bool testRunning;
    uint32_t touchMode;
    int32_t compatible;
    bool requests;
  } cases[] = {
      {true, 0, 1, false},
      {false, 2, 0, false},
      {false, 2, 1, true},
      {false, 0, 0, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << c.testRunning << " " << c.touchMode << " " << c.compatible);
    m_state.SetTestRunning(c.testRunning);
    m_state.SetTouchMode(c.touchMode);
    m_state.SetCompatibleMode(c.compatible);
    int releases = Releases();
    int before = TouchRequests();
    ASSERT_EQ(m_ctl("pen down 5000 5000"), "ok");
    // The touch itself is always taken.
    ASSERT_TRUE(test::Eventually([this] { return m_link.TouchInProgress(); }));
    if (c.requests)
      EXPECT_TRUE(test::Eventually([&] { return TouchRequests() >= before + 2; }));
    else
      EXPECT_TRUE(TouchRequestsStay() && TouchRequests() == before);
    ASSERT_EQ(m_ctl("pen up"), "ok");
    ASSERT_TRUE(test::Eventually([&] { return Releases() == releases + 1; }));
    ASSERT_TRUE(test::Eventually([this] { return !m_link.TouchInProgress(); }));
  }
}

TEST_F(TouchReportSimTest, UnplugDuringTouchThenPlugLeavesTheLinkWorking) {
  ASSERT_EQ(m_ctl("pen down 3000 3000"), "ok");
  ASSERT_TRUE(test::Eventually([this] { return TouchRequests() >= 2; }));
  ASSERT_EQ(m_ctl("unplug"), "ok");
  ASSERT_TRUE(test::Eventually([this] { return !m_link.IsPortOpen(); }));
  ASSERT_EQ(m_ctl("plug"), "ok");
  ASSERT_TRUE(test::Eventually([this] { return m_link.IsPortOpen(); }));
  EXPECT_TRUE(m_link.GetCheckSum(nullptr, nullptr, nullptr));
  EXPECT_TRUE(m_link.SetInputMode(2));
  ASSERT_EQ(m_ctl("pen up"), "ok");
  ASSERT_TRUE(test::Eventually([this] { return !m_link.TouchInProgress(); }));
}

// The panel state goes through a real driver link to the service and the driver stand-in.
TEST(TouchReportDriverTest, PanelStatesReachTheDriver) {
  test::CTempPrefix prefix;
  test::CSimSystem system{prefix};
  ASSERT_TRUE(system.StartDriver());
  ASSERT_TRUE(system.StartService());
  CSystemClock clock;
  CPipeClientTransport pipes{prefix.Paths()};
  test::CFakeDisplay display;
  CRivelleApp app{prefix.Paths(), clock, pipes, display, 16};
  app.OpenSharedTables(true);
  ASSERT_TRUE(DriverLink::QuickConnect(app.LinkContext()));

  test::CChildProcess panel;
  ASSERT_TRUE(panel.Start("panel-sim", {"--model", "VT-R700A"}));
  test::CControlChannel ctl;
  ASSERT_TRUE(test::Eventually([&] { return ctl.Connect(prefix.Paths().HidDir() + "/panel.ctl"); }));
  CSimHidBus bus{prefix.Paths()};
  TouchReportContext touch;
  touch.m_pState = &app.PenInput();
  touch.m_pDisplay = &display;
  touch.m_pClock = &clock;
  touch.m_setPanelState = CTouchReportHandler::ThroughDriverLink(app.LinkContext());
  CTPdrvServiceMode link{bus, app.Models(), nullptr, nullptr, nullptr, test::ShortFirmwareWaits(), touch};
  ASSERT_TRUE(link.StartWorker());
  ASSERT_TRUE(link.GetCheckSum(nullptr, nullptr, nullptr));

  auto code = [&] {
    DriverSettings s;
    return system.ReadSettings(&s) ? static_cast<int>(s.m_uPanelStateCode) : -1;
  };
  ASSERT_EQ(code(), 0);
  ASSERT_EQ(ctl("pen down 8000 8000"), "ok");
  ASSERT_TRUE(test::Eventually([&] { return code() == 2; }));
  EXPECT_TRUE(app.PenInput().Touching());
  ASSERT_TRUE(test::Eventually([&] { return std::stoi(ctl("count 5")) >= 2; }));
  ASSERT_TRUE(link.GetCheckSum(nullptr, nullptr, nullptr));
  EXPECT_EQ(code(), 3);
  ASSERT_EQ(ctl("pen up"), "ok");
  ASSERT_TRUE(test::Eventually([&] { return !app.PenInput().Touching(); }));
  ASSERT_EQ(ctl("pen down 9000 9000"), "ok");
  ASSERT_TRUE(test::Eventually([&] { return code() == 2; }));
  ASSERT_EQ(ctl("pen up"), "ok");
  ASSERT_TRUE(test::Eventually([&] { return code() == 3; }));
  link.StopWorker();
}

}  // namespace
}  // namespace kv
