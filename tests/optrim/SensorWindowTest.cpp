// The sensor window's connect order, outcomes, disconnect and device loss, and the
// calibration panel's captions, placement, unattended runs and flash write, on fakes.
#include <gtest/gtest.h>

#include <map>

#include "optrim/device/BroadCaster.h"
#include "optrim/device/SensorModel.h"
#include "optrim/ui/CalibrationPanel.h"
#include "optrim/ui/SensorWindow.h"
#include "tests/optrim/OptrimUiFakes.h"

namespace kv {
namespace {

class CNoHidBus : public HidBus {
 public:
  uint32_t EnumerateInterface(uint32_t, std::string*) override { return 259; }
  uint32_t Open(const std::string&, bool, std::unique_ptr<HidDevice>*) override { return 2; }
};

// A model whose Connect answers what the test scripted for its type, pass by pass.
class CScriptedDev : public CTouchDevBase {
 public:
  CScriptedDev(int type, int result, HidBus& bus, Clock& clock, CBroadCaster* broadcaster)
      : CTouchDevBase(*FindModelDescriptor(type), bus, clock, broadcaster), m_iResult(result) {}
  int Connect() override { return m_iResult; }

 private:
  int m_iResult;
};

class CFakeWindowView : public SensorWindowView {
 public:
  void Changed() override {}
  void StartTimer(int id, uint32_t ms) override { m_timers[id] = ms; }
  void StopTimer(int id) override { m_timers.erase(id); }
  void PostDisconnect() override { ++m_iDisconnects; }
  std::map<int, uint32_t> m_timers;
  int m_iDisconnects = 0;
};

class CListener : public CMsgThrower {
 public:
  using CMsgThrower::CMsgThrower;
  void OnNotify(uint32_t code, uintptr_t payload) override { m_notes.push_back({code, payload}); }
  std::vector<std::pair<uint32_t, uintptr_t>> m_notes;
};

class SensorWindowTest : public ::testing::Test {
 protected:
  CStringTable m_strings = CStringTable::BuiltIn("optrim");
  test::CFakeClock m_clock;
  CNoHidBus m_bus;
  CBroadCaster m_broadcaster;
  CFakeWindowView m_view;
  test::CFakeHost m_host;
  test::CFakeBoxes m_boxes;
  std::map<int, std::vector<int>> m_script;  // type -> result per try (last one repeats)
  std::vector<int> m_tried;
  CSensorWindow m_window{[this](int type) { return Make(type); }, m_view, m_host, m_boxes,
                         m_clock, m_strings, " Set Manually (4 Points)", &m_broadcaster};

  std::unique_ptr<CTouchDevBase> Make(int type) {
    m_tried.push_back(type);
    std::vector<int>& results = m_script[type];
    int rc = CONNECT_NO_DEVICE;
    if (!results.empty()) {
      rc = results.front();
      if (results.size() > 1) results.erase(results.begin());
    }
    return std::make_unique<CScriptedDev>(type, rc, m_bus, m_clock, &m_broadcaster);
  }
};

TEST_F(SensorWindowTest, NoSensorMeans24TriesInModelOrderThenTheProgramEnds) {
  m_window.Open();
  ASSERT_EQ(m_view.m_timers.count(CSensorWindow::TIMER_START), 1u);
  m_window.OnTimer(CSensorWindow::TIMER_START);
  EXPECT_EQ(m_view.m_timers.count(CSensorWindow::TIMER_START), 0u);
  ASSERT_EQ(m_tried.size(), 24u);
  for (size_t i = 0; i < 24; ++i) EXPECT_EQ(m_tried[i], CSensorWindow::MODEL_ORDER[i % 6]);
  EXPECT_EQ(m_clock.TickCount(), 2400u);
  ASSERT_EQ(m_boxes.m_shown.size(), 1u);
  EXPECT_EQ(m_boxes.m_shown[0].text, "Touch Sensor could not be found.");
  EXPECT_EQ(m_boxes.m_shown[0].caption, " Set Manually (4 Points)");
  EXPECT_EQ(m_boxes.m_shown[0].icon, MSG_ICON_WARNING);
  EXPECT_EQ(m_window.Log().back(), "Touch Sensor could not be found.");
  EXPECT_TRUE(m_host.Has(MAIN_MSG_END_PROGRAM));
  EXPECT_TRUE(m_window.Enabled());
  EXPECT_FALSE(m_window.WaitCursor());
}

TEST_F(SensorWindowTest, AnInitialisingSensorAddsHalfASecondPerPass) {
  m_script[4] = {CONNECT_NOT_READY};
  m_window.Connect(false);
  EXPECT_EQ(m_window.ConnectTries(), 24);
  EXPECT_EQ(m_clock.TickCount(), 2400u + 4 * 500u);
  ASSERT_EQ(m_boxes.m_shown.size(), 1u);
  EXPECT_EQ(m_boxes.m_shown[0].text, "The touch sensor is initializing. Please wait.");
}

TEST_F(SensorWindowTest, FirstModelToAnswerIsKeptAndPolled) {
  m_script[3] = {CONNECT_NOT_READY, CONNECT_OK};  // ready in the second pass
  m_window.Connect(true);
  ASSERT_NE(m_window.Device(), nullptr);
  EXPECT_EQ(m_window.ModelType(), 3);
  EXPECT_EQ(m_window.ConnectTries(), 10);
  EXPECT_EQ(m_clock.TickCount(), 10 * 100u + 500u);
  EXPECT_EQ(m_window.Log().back(), "センサー（PML-CC）に接続できました。");
  EXPECT_EQ(m_view.m_timers[CSensorWindow::TIMER_POLL], 10u);
  ASSERT_EQ(m_host.m_posted.size(), 1u);
  EXPECT_EQ(m_host.m_posted[0].message, MAIN_MSG_OPEN_PANEL);
  EXPECT_EQ(m_host.m_posted[0].device, m_window.Device());
  EXPECT_TRUE(m_boxes.m_shown.empty());

  m_window.Connect(true);  // already connected: only the log says so
  EXPECT_EQ(m_window.ConnectTries(), 10);
  EXPECT_EQ(m_window.Log().back(), "既にセンサー（PML-CC）に接続しています。");
  EXPECT_EQ(m_host.m_posted.size(), 1u);
}

TEST_F(SensorWindowTest, DisconnectTellsTheWindowsThenDestroysTheDevice) {
  CListener panel(&m_broadcaster);
  panel.RegisterListener();
  m_script[6] = {CONNECT_OK};
  m_window.Connect(false);
  const auto device = reinterpret_cast<uintptr_t>(m_window.Device());
  m_window.Disconnect();
  ASSERT_EQ(panel.m_notes.size(), 1u);
  EXPECT_EQ(panel.m_notes[0], std::make_pair(uint32_t{NOTIFY_DEVICE_CLOSING}, device));
  EXPECT_EQ(m_view.m_timers.count(CSensorWindow::TIMER_POLL), 0u);
  EXPECT_EQ(m_view.m_timers[CSensorWindow::TIMER_DISCONNECT], 300u);
  EXPECT_FALSE(m_window.Enabled());
  m_window.OnTimer(CSensorWindow::TIMER_DISCONNECT);
  EXPECT_EQ(m_window.Device(), nullptr);
  EXPECT_EQ(m_window.Log().back(), "センサーを切断しました。");
  EXPECT_TRUE(m_window.Enabled());
  EXPECT_EQ(m_view.m_timers.count(CSensorWindow::TIMER_DISCONNECT), 0u);
}

TEST_F(SensorWindowTest, DeviceLostDisconnectsUnlessAutoExitIsOff) {
  m_script[6] = {CONNECT_OK};
  m_window.Open();
  m_window.Connect(false);
  CMsgThrower device(&m_broadcaster);
  const auto self = reinterpret_cast<uintptr_t>(m_window.Device());
  device.Post(NOTIFY_DEVICE_LOST, self + 1);  // another device
  EXPECT_EQ(m_view.m_iDisconnects, 0);
  m_window.SetAutoExitOff(true);
  device.Post(NOTIFY_DEVICE_LOST, self);
  EXPECT_EQ(m_view.m_iDisconnects, 0);
  m_window.SetAutoExitOff(false);
  device.Post(NOTIFY_DEVICE_LOST, self);
  EXPECT_EQ(m_view.m_iDisconnects, 1);
}

class CFakePanelView : public CalibrationPanelView {
 public:
  void Changed() override {}
  void OpenScreen(bool basic) override { m_opened.push_back(basic); }
  void DestroyScreen() override { ++m_iDestroyed; }
  void BringToFront() override {}
  std::vector<bool> m_opened;
  int m_iDestroyed = 0;
};

class CalibrationPanelTest : public ::testing::Test {
 protected:
  CStringTable m_strings = CStringTable::BuiltIn("optrim");
  test::CFakeClock m_clock;
  test::CFakeSensorLink m_link{m_clock};
  CBroadCaster m_broadcaster;
  CFakePanelView m_view;
  test::CFakeHost m_host;
  test::CFakeBoxes m_boxes;
  PanelPlacement m_placement;
  static constexpr uintptr_t DEVICE = 0x1234;

  std::unique_ptr<CCalibrationPanel> Make(const std::string& startSwitch) {
    return std::make_unique<CCalibrationPanel>(m_link, DEVICE, m_view, m_host, m_boxes, m_clock,
                                               m_strings, startSwitch, &m_placement,
                                               &m_broadcaster);
  }
};

TEST_F(CalibrationPanelTest, CaptionsComeFromTheCalibrationLayout) {
  struct Case {
    uint8_t nx, ny;
    const char* precise;
  };
  for (const Case& c : {Case{4, 4, " Set Manually (25 Points)"}, Case{2, 3, " Set Manually (12 Points)"},
                        Case{9, 9, " Set Manually (100 Points)"}}) {
    m_link.m_settings.preciseNx = c.nx;
    m_link.m_settings.preciseNy = c.ny;
    auto panel = Make("");
    panel->Open(0, 1080);
    EXPECT_EQ(panel->PreciseCaption(), c.precise);
    EXPECT_EQ(panel->BasicCaption(), " Set Manually (4 Points)");
  }
}

TEST_F(CalibrationPanelTest, FirstPlacedBelowTheTopThenWhereItWasClosed) {
  auto panel = Make("");
  panel->Open(20, 1100);
  EXPECT_EQ(panel->X(), 300);
  EXPECT_EQ(panel->Y(), 20 + 200);
  panel->OnClose(640, 77);
  panel = Make("");
  panel->Open(20, 1100);
  EXPECT_EQ(panel->X(), 640);
  EXPECT_EQ(panel->Y(), 77);
}

TEST_F(CalibrationPanelTest, StartSwitchRunsOneCalibrationAndEndsWithIt) {
  struct Case {
    const char* start;
    std::vector<bool> opened;  // basic flags
    bool ends;
  };
  for (const Case& c : {Case{"-b", {true}, true}, Case{"-p", {false}, true}, Case{"", {}, false}}) {
    SCOPED_TRACE(c.start);
    m_view = {};
    m_host = {};
    m_link.m_modes.clear();
    auto panel = Make(c.start);
    panel->Open(0, 1080);
    EXPECT_EQ(m_view.m_opened, c.opened);
    if (c.opened.empty()) continue;
    EXPECT_EQ(m_link.m_modes, std::vector<uint8_t>{5});
    EXPECT_TRUE(m_link.m_bInput);
    EXPECT_FALSE(panel->Enabled());
    EXPECT_FALSE(panel->StartCalibration(true)) << "one screen at a time";
    panel->OnScreenClosed();
    EXPECT_EQ(m_view.m_iDestroyed, 1);
    EXPECT_EQ(m_link.m_modes.back(), 0);
    EXPECT_TRUE(panel->Enabled());
    EXPECT_EQ(m_host.Has(MAIN_MSG_END_PROGRAM), c.ends);
  }
}

TEST_F(CalibrationPanelTest, FlashWriteAsksWaitsAndReports) {
  struct Case {
    MsgAnswer answer;
    uint16_t state;
    const char* verdict;
  };
  for (const Case& c : {Case{MSG_ANSWER_YES, 0, "Writing Complete."},
                        Case{MSG_ANSWER_YES, 1, "Could not write value to the touch sensor."},
                        Case{MSG_ANSWER_NO, 0, nullptr}}) {
    m_boxes = {};
    m_boxes.m_answers = {c.answer};
    m_link.m_flashSubs.clear();
    m_link.m_uFlashState = c.state;
    auto panel = Make("");
    panel->Open(0, 1080);
    panel->WriteFlash();
    ASSERT_GE(m_boxes.m_shown.size(), 1u);
    EXPECT_EQ(m_boxes.m_shown[0].icon, MSG_ICON_WARNING);
    if (!c.verdict) {
      EXPECT_TRUE(m_link.m_flashSubs.empty());
      EXPECT_EQ(m_boxes.m_shown.size(), 1u);
      continue;
    }
    EXPECT_EQ(m_link.m_flashSubs, std::vector<uint8_t>{1});
    EXPECT_GE(m_link.m_uFlashReadAt - m_link.m_uFlashAt, 5000u);
    ASSERT_EQ(m_boxes.m_shown.size(), 2u);
    EXPECT_EQ(m_boxes.m_shown[1].text, c.verdict);
  }
}

TEST_F(CalibrationPanelTest, ClosesWhenItsDeviceCloses) {
  auto panel = Make("");
  panel->Open(0, 1080);
  CMsgThrower window(&m_broadcaster);
  window.Post(NOTIFY_DEVICE_CLOSING, DEVICE + 1);
  EXPECT_TRUE(m_host.m_posted.empty());
  window.Post(NOTIFY_DEVICE_CLOSING, DEVICE);
  ASSERT_EQ(m_host.m_posted.size(), 1u);
  EXPECT_EQ(m_host.m_posted[0].message, MAIN_MSG_CLOSE_PANEL);
}

}  // namespace
}  // namespace kv
