// The calibration screen's run on a fake sensor, fake keys and a fake clock: collecting,
// auto-confirm, release wait, lockout, delete, the computation's outcomes, the upload and
// the flash write.
#include <gtest/gtest.h>

#include <memory>

#include "optrim/calibration/SensorCalibration.h"
#include "optrim/device/BroadCaster.h"
#include "optrim/device/TouchDevBase.h"
#include "optrim/ui/CalScreen.h"
#include "tests/optrim/OptrimUiFakes.h"

namespace kv {
namespace {

// Sensor corners of the four marks in collection order (top-left, bottom-left,
// bottom-right, top-right) for a screen that is not rotated.
const DevPoint FOUR[] = {{-15000, 5000}, {-15000, 30000}, {15000, 30000}, {15000, 5000}};

class CalScreenTest : public ::testing::Test {
 protected:
  CStringTable m_strings = CStringTable::BuiltIn("optrim");
  test::CFakeClock m_clock;
  test::CFakeSensorLink m_link{m_clock};
  test::CFakeScreenView m_view;
  test::CFakeBoxes m_boxes;
  CBroadCaster m_broadcaster;
  CMsgThrower m_sensor{&m_broadcaster};  // the device posting touches
  std::unique_ptr<CCalScreen> m_screen;
  int m_iClosedCalls = 0;

  void Open(bool basic, int rotation = 0) {
    m_screen = std::make_unique<CCalScreen>(CalScreenSetup{basic, rotation, 1000, 500}, m_link,
                                            m_view, m_boxes, m_clock, m_strings, &m_broadcaster);
    m_screen->SetOnClosed([this] { ++m_iClosedCalls; });
    m_screen->Open();
  }
  void Touch(int x, int y) {
    m_sensor.Post(NOTIFY_TOUCH, (static_cast<uintptr_t>(static_cast<uint16_t>(y)) << 16) |
                                    static_cast<uint16_t>(x));
  }
  void Tick(uint32_t ms = 100) {
    m_clock.Advance(ms);
    m_screen->OnTimer();
  }
  void Pump() {
    while (!m_view.m_posted.empty()) {
      auto [message, wParam] = m_view.m_posted.front();
      m_view.m_posted.pop_front();
      m_screen->OnMessage(message, wParam);
    }
  }
  // Ten quick samples complete the hold; Enter takes the point on the next tick.
  void HoldAndEnter(DevPoint p) {
    for (int i = 0; i < 10; ++i) {
      m_clock.Advance(20);
      Touch(p.x, p.y);
    }
    m_view.Press(SCREEN_KEY_ENTER);
    Tick();
  }
  // Lifted: the release wait passes, the next mark comes, the lockout runs out.
  void ReleaseAndNext() {
    Tick(CCalScreen::RELEASE_WAIT_MS);
    m_clock.Advance(CCalScreen::LOCKOUT_MS);
    Pump();
  }
  void Collect(std::span<const DevPoint> points) {
    for (const DevPoint& p : points) {
      HoldAndEnter(p);
      ReleaseAndNext();
    }
  }
};

TEST_F(CalScreenTest, BasicRunUploadsTheBasicTableComputedFromThePlacedCorners) {
  Open(true);
  EXPECT_EQ(m_screen->Total(), 4);
  EXPECT_EQ(m_screen->Panel().Type(), 1);
  EXPECT_TRUE(m_screen->CursorHidden());
  Collect(FOUR);
  ASSERT_EQ(m_screen->State(), CAL_STATE_DONE) << m_screen->Panel().Detail();
  ASSERT_EQ(m_link.m_uploads.size(), 1u);
  EXPECT_EQ(m_link.m_uploads[0].second, UPLOAD_BASIC_ONLY);

  // The grid in the sensor's orientation: top-left, top-right / bottom-left, bottom-right.
  std::vector<DevPoint> grid(25);
  grid[0] = FOUR[0];
  grid[1] = FOUR[3];
  grid[5] = FOUR[1];
  grid[6] = FOUR[2];
  SensorCalBlock expected = test::CFakeSensorLink(m_clock).m_block;
  CSensorCalibration calc(m_strings);
  int errors = 0;
  std::vector<GridNode> list;
  std::string message;
  const CalMargins m{2185, 2185, 2185, 2185};
  ASSERT_EQ(calc.BasicCalibration(1, 1, 32767, m, grid, &expected, &errors, &list, &message), 0);
  EXPECT_EQ(m_link.m_uploads[0].first.basic, expected.basic);

  EXPECT_EQ(m_screen->Panel().Type(), 7);
  EXPECT_FALSE(m_screen->CursorHidden());
  EXPECT_TRUE(m_link.m_bCalibrated);
  EXPECT_FALSE(m_link.m_bInput);
  EXPECT_EQ(m_link.m_modes.back(), 0);
  for (MarkPaint p : m_screen->MarkPaints()) EXPECT_EQ(p, MARK_ACCEPTED);
}

TEST_F(CalScreenTest, FlashWriteAfterSuccess) {
  struct Case {
    MsgAnswer answer;
    uint16_t flashState;
    bool closes;
    const char* verdict;
    MsgIcon icon;
  };
  const Case cases[] = {
      {MSG_ANSWER_YES, 0, true, "Writing Complete.", MSG_ICON_INFORMATION},
      {MSG_ANSWER_YES, 4, true, "Could not write value to the touch sensor.", MSG_ICON_ERROR},
      {MSG_ANSWER_NO, 0, false, nullptr, MSG_ICON_INFORMATION},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.verdict ? c.verdict : "No");
    m_boxes = {};
    m_link.m_flashSubs.clear();
    m_link.m_uFlashState = c.flashState;
    m_boxes.m_answers = {c.answer};
    Open(true);
    Collect(FOUR);
    ASSERT_EQ(m_screen->State(), CAL_STATE_DONE);
    m_view.Press(SCREEN_KEY_Y);
    Tick();
    ASSERT_GE(m_boxes.m_shown.size(), 1u);
    EXPECT_EQ(m_boxes.m_shown[0].caption, " Set Manually (4 Points)");
    EXPECT_EQ(m_boxes.m_shown[0].icon, MSG_ICON_WARNING);
    EXPECT_EQ(m_boxes.m_shown[0].buttons, MSG_BUTTONS_YES_NO);
    EXPECT_EQ(m_screen->Closed(), c.closes);
    if (!c.verdict) {
      EXPECT_TRUE(m_link.m_flashSubs.empty());
      EXPECT_EQ(m_screen->Panel().Type(), 7);
      continue;
    }
    EXPECT_EQ(m_link.m_flashSubs, std::vector<uint8_t>{1});
    EXPECT_GE(m_link.m_uFlashReadAt - m_link.m_uFlashAt, CCalScreen::FLASH_WAIT_MS);
    ASSERT_EQ(m_boxes.m_shown.size(), 2u);
    EXPECT_EQ(m_boxes.m_shown[1].text, c.verdict);
    EXPECT_EQ(m_boxes.m_shown[1].icon, c.icon);
    EXPECT_EQ(m_iClosedCalls, 1);
    m_iClosedCalls = 0;
  }
}

TEST_F(CalScreenTest, HoldingStillAcceptsAfterTheCountdown) {
  Open(true);
  uint32_t held = 0;
  for (; held <= 1000; held += 100) {
    Touch(-15000, 5000);
    m_clock.Advance(100);
  }
  // Held 1000 ms at the last sample: 1.6 s to go.
  EXPECT_EQ(m_screen->Panel().Countdown(), "Auto confirm after 1.6 sec");
  EXPECT_EQ(m_screen->Panel().CoordinateText(), "x = -15000  y =  5000     ");
  EXPECT_EQ(m_screen->State(), CAL_STATE_COLLECTING);
  for (; held < CCalScreen::AUTO_CONFIRM_MS; held += 100) {
    Touch(-15000, 5000);
    m_clock.Advance(100);
  }
  EXPECT_EQ(m_screen->State(), CAL_STATE_COLLECTING);
  Touch(-15000, 5000);
  EXPECT_EQ(m_screen->State(), CAL_STATE_ACCEPTED);
  EXPECT_EQ(m_screen->Points().size(), 1u);
  EXPECT_EQ(m_screen->Panel().Type(), 3);
}

TEST_F(CalScreenTest, ShortLiftsKeepTheAcceptedStateUntilReleasedFor400ms) {
  Open(true);
  HoldAndEnter(FOUR[0]);
  ASSERT_EQ(m_screen->State(), CAL_STATE_ACCEPTED);
  Tick(300);
  Touch(FOUR[0].x, FOUR[0].y);  // back on the glass: the wait starts again
  Tick(399);
  EXPECT_EQ(m_screen->State(), CAL_STATE_ACCEPTED);
  m_sensor.Post(NOTIFY_RELEASE);  // a release is no touch
  Tick(1);
  EXPECT_EQ(m_screen->State(), CAL_STATE_COLLECTING);
  EXPECT_EQ(m_screen->MarkerIndex(), 1);
  EXPECT_EQ(m_screen->Panel().Type(), 1);
}

TEST_F(CalScreenTest, KeysDuringTheLockoutAreDropped) {
  Open(true);
  HoldAndEnter(FOUR[0]);
  Tick(CCalScreen::RELEASE_WAIT_MS);
  ASSERT_EQ(m_screen->State(), CAL_STATE_COLLECTING);
  m_view.Press(SCREEN_KEY_ESC);
  Tick(600);
  EXPECT_FALSE(m_screen->Closed());
  Tick(100);  // 700 ms after the move
  EXPECT_FALSE(m_screen->Closed()) << "a press from the lockout fired later";
  m_view.Press(SCREEN_KEY_ESC);
  Tick();
  EXPECT_TRUE(m_screen->Closed());
  EXPECT_TRUE(m_view.m_bClosed);
  EXPECT_FALSE(m_link.m_bInput);
}

TEST_F(CalScreenTest, DeleteTakesBackTheLastPoint) {
  Open(true);
  Collect({FOUR, 2});
  ASSERT_EQ(m_screen->Points().size(), 2u);
  m_view.Press(SCREEN_KEY_DELETE);
  Tick();
  EXPECT_EQ(m_screen->Points().size(), 1u);
  EXPECT_EQ(m_screen->Tracker().Accepted().size(), 1u);
  EXPECT_EQ(m_screen->MarkerIndex(), 1);
  EXPECT_EQ(m_screen->MarkPaints()[1], MARK_PENDING);
  EXPECT_EQ(m_screen->Panel().Type(), 1) << "Delete leaves the panel shown";
  // The same place can be touched again now that its point is gone.
  m_clock.Advance(CCalScreen::LOCKOUT_MS);
  HoldAndEnter(FOUR[1]);
  EXPECT_EQ(m_screen->Points().size(), 2u);
}

TEST_F(CalScreenTest, ComputationErrorsShowTheirPanelAndMarks) {
  struct Case {
    const char* name;
    std::vector<DevPoint> points;
    CalScreenState state;
    int panel;
    std::vector<MarkPaint> paints;
  };
  const auto A = MARK_ACCEPTED, E = MARK_ERROR;
  const Case cases[] = {
      // The top-right point left of the top-left one: both out of order.
      {"order", {FOUR[0], FOUR[1], FOUR[2], {-16000, 5000}}, CAL_STATE_POINT_ERROR, 8,
       {E, A, A, E}},
      // The first corner right of the last: no node list, the calculation panel.
      {"corners", {{15000, 5000}, {15000, 30000}, {-15000, 30000}, {-15000, 5000}},
       CAL_STATE_CALC_ERROR, 9, {A, A, A, A}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    Open(true);
    Collect(c.points);
    EXPECT_EQ(m_screen->State(), c.state);
    EXPECT_EQ(m_screen->Panel().Type(), c.panel);
    EXPECT_FALSE(m_screen->Panel().Detail().empty());
    EXPECT_EQ(m_screen->MarkPaints(), c.paints);
    EXPECT_TRUE(m_link.m_uploads.empty());
    // R starts again with nothing collected.
    m_view.Press(SCREEN_KEY_R);
    Tick();
    EXPECT_EQ(m_screen->State(), CAL_STATE_COLLECTING);
    EXPECT_TRUE(m_screen->Points().empty());
    EXPECT_TRUE(m_screen->Tracker().Accepted().empty());
    EXPECT_EQ(m_screen->MarkPaints(), std::vector<MarkPaint>(4, MARK_PENDING));
  }
}

TEST_F(CalScreenTest, DeviationOfTheMiddleNodeMarksItsMark) {
  m_link.m_settings.preciseNx = m_link.m_settings.preciseNy = 2;
  Open(false);
  ASSERT_EQ(m_screen->Total(), 9);
  EXPECT_EQ(m_screen->Panel().Type(), 2);
  std::vector<DevPoint> points;
  for (int j = 0; j < 3; ++j)
    for (int i = 0; i < 3; ++i)
      points.push_back({static_cast<int16_t>(-16000 + 16000 * i + (i == 1 && j == 1 ? 9600 : 0)),
                        static_cast<int16_t>(5000 + 12500 * j)});
  Collect(points);
  EXPECT_EQ(m_screen->State(), CAL_STATE_POINT_ERROR);
  EXPECT_EQ(m_screen->MarkPaints()[4], MARK_ERROR);
  EXPECT_EQ(m_screen->MarkPaints()[3], MARK_ACCEPTED);
  m_view.Press(SCREEN_KEY_ESC);
  Tick();
  EXPECT_TRUE(m_screen->Closed());
}

TEST_F(CalScreenTest, PreciseRunWithRotationUploadsAllParts) {
  m_link.m_settings.preciseNx = m_link.m_settings.preciseNy = 2;
  m_link.m_settings.enableAngle = 0;
  Open(false, 1);
  // Rotation 1: the screen's rows are the sensor's columns, bottom row first.
  std::vector<DevPoint> points;
  for (int k = 0; k < 9; ++k) {
    const int row = 2 - k % 3, column = k / 3;
    points.push_back({static_cast<int16_t>(-16000 + 16000 * column),
                      static_cast<int16_t>(5000 + 12500 * row)});
  }
  Collect(points);
  ASSERT_EQ(m_screen->State(), CAL_STATE_DONE) << m_screen->Panel().Detail();
  ASSERT_EQ(m_link.m_uploads.size(), 1u);
  EXPECT_EQ(m_link.m_uploads[0].second, UPLOAD_ALL);
  EXPECT_EQ(m_link.m_uploads[0].first.precise.nx1, 2);
  // An even grid gives back its own nodes.
  EXPECT_EQ(m_link.m_uploads[0].first.precise.At(0, 0), (DevPoint{-16000, 5000}));
  EXPECT_EQ(m_link.m_uploads[0].first.precise.At(2, 2), (DevPoint{16000, 30000}));
}

TEST_F(CalScreenTest, AfterSuccessRetryAndCancelResendTheBackup) {
  for (ScreenKey key : {SCREEN_KEY_R, SCREEN_KEY_ESC}) {
    m_link.m_uploads.clear();
    const SensorCalBlock before = m_link.m_block;
    Open(true);
    Collect(FOUR);
    ASSERT_EQ(m_screen->State(), CAL_STATE_DONE);
    m_view.Press(key);
    Tick();
    ASSERT_EQ(m_link.m_uploads.size(), 2u);
    EXPECT_EQ(m_link.m_uploads[1].first.basic, before.basic);
    EXPECT_EQ(m_link.m_block.basic, before.basic);
    if (key == SCREEN_KEY_R) {
      EXPECT_EQ(m_screen->State(), CAL_STATE_COLLECTING);
      EXPECT_EQ(m_link.m_modes.back(), 5);
      EXPECT_TRUE(m_link.m_bInput);
    } else {
      EXPECT_TRUE(m_screen->Closed());
    }
  }
}

TEST_F(CalScreenTest, AFailedUploadIsNotReportedAsSuccess) {
  m_link.m_bUploadOk = false;
  Open(true);
  Collect(FOUR);
  EXPECT_EQ(m_screen->State(), CAL_STATE_CALC_ERROR);
  EXPECT_EQ(m_screen->Panel().Type(), 9);
  EXPECT_EQ(m_screen->Panel().Detail(), "Could not write value to the touch sensor.");
  EXPECT_FALSE(m_link.m_bCalibrated);
}

TEST_F(CalScreenTest, KeyTablePerPanel) {
  struct Row {
    int panel;
    PanelCommand y, r, esc, del;
  };
  const Row rows[] = {
      {0, PANEL_COMMAND_NONE, PANEL_COMMAND_NONE, PANEL_COMMAND_NONE, PANEL_COMMAND_NONE},
      {1, PANEL_COMMAND_NONE, PANEL_COMMAND_NONE, PANEL_COMMAND_CANCEL, PANEL_COMMAND_DELETE},
      {4, PANEL_COMMAND_NONE, PANEL_COMMAND_NONE, PANEL_COMMAND_CANCEL, PANEL_COMMAND_DELETE},
      {7, PANEL_COMMAND_APPLY, PANEL_COMMAND_RECALIBRATE, PANEL_COMMAND_CANCEL_AFTER_SUCCESS,
       PANEL_COMMAND_NONE},
      {8, PANEL_COMMAND_NONE, PANEL_COMMAND_RESTART, PANEL_COMMAND_CANCEL, PANEL_COMMAND_NONE},
      {9, PANEL_COMMAND_NONE, PANEL_COMMAND_RESTART, PANEL_COMMAND_CANCEL, PANEL_COMMAND_NONE},
  };
  for (const Row& r : rows) {
    EXPECT_EQ(CCalInstPanel::KeyCommand(r.panel, PANEL_KEY_Y), r.y) << r.panel;
    EXPECT_EQ(CCalInstPanel::KeyCommand(r.panel, PANEL_KEY_R), r.r) << r.panel;
    EXPECT_EQ(CCalInstPanel::KeyCommand(r.panel, PANEL_KEY_ESC), r.esc) << r.panel;
    EXPECT_EQ(CCalInstPanel::KeyCommand(r.panel, PANEL_KEY_DELETE), r.del) << r.panel;
  }
}

TEST_F(CalScreenTest, PanelSitsUpLeftOfTheMarkUnlessTheScreenEnds) {
  EXPECT_EQ(CCalInstPanel::Position(1, {500, 400}, 340, 200, 1000, 800), (ScreenPoint{130, 170}));
  EXPECT_EQ(CCalInstPanel::Position(3, {50, 40}, 340, 200, 1000, 800), (ScreenPoint{80, 70}));
  EXPECT_EQ(CCalInstPanel::Position(7, {50, 40}, 350, 200, 1000, 800), (ScreenPoint{325, 300}));
}

}  // namespace
}  // namespace kv
