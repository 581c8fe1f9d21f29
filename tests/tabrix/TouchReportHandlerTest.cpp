// The touch report handler with fakes for the screen, the region window, the Pen Software
// Link and the driver: panel positions to screen positions, the touch announcement and its
// end, the panel states the driver hears, and the touch and button answers.
#include <gtest/gtest.h>

#include <memory>
#include <vector>

#include "platform/posix/SimHidBus.h"
#include "tabrix/driverlink/ModelTable.h"
#include "tabrix/firmware/TPdrvServiceMode.h"
#include "tabrix/firmware/TouchActionRunner.h"
#include "tabrix/firmware/TouchReportHandler.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TempPrefix.h"
#include "tests/tabrix/CalibrationFakes.h"
#include "tests/tabrix/TouchFakes.h"

namespace kv {
namespace {

using Report = CTouchReportHandler::Report;
using LinkState = CTouchReportHandler::LinkState;
using test::PenLinkMessage;

constexpr uint64_t HANDLE = test::CFakeRegionWindow::HANDLE;

Report Make(uint8_t type, uint8_t b2 = 0, uint16_t x = 0, uint16_t y = 0) {
  Report r{1, type, b2};
  r[6] = static_cast<uint8_t>(x);
  r[7] = static_cast<uint8_t>(x >> 8);
  r[8] = static_cast<uint8_t>(y);
  r[9] = static_cast<uint8_t>(y >> 8);
  return r;
}

LinkState Link(uint32_t type = MODEL_TYPE_DRIVER, bool command = false, bool paused = false) {
  LinkState s;
  s.m_uModelType = type;
  s.m_bCommand = command;
  s.m_bPaused = paused;
  return s;
}

class TouchReportHandlerTest : public ::testing::Test {
 protected:
  TouchReportContext Context() {
    TouchReportContext c;
    c.m_pState = &m_state;
    c.m_pDisplay = &m_display;
    c.m_pClock = &m_clock;
    c.m_pPenLink = &m_penLink;
    c.m_setPanelState = m_panelStates.Sender();
    return c;
  }

  // The handler decides; these carry its decisions out as the link's worker does.
  bool Presence(const Report& r, const LinkState& link) {
    TouchActions actions;
    bool ends = m_handler.TouchPresence(r, link, &actions);
    m_runner.Run(actions);
    return ends;
  }
  void Position(const Report& r, const LinkState& link) {
    TouchActions actions;
    m_handler.TouchPosition(r, link, &actions);
    m_runner.Run(actions);
  }

  CPenInputState m_state;
  test::CFakeDisplay m_display;  // 1920 x 1080
  test::CFakeClock m_clock;
  test::CFakePenLink m_penLink;
  test::CPanelStateLog m_panelStates;
  std::shared_ptr<test::CFakeRegionWindow> m_window = std::make_shared<test::CFakeRegionWindow>();
  CTouchReportHandler m_handler{Context()};
  CTouchActionRunner m_runner{Context()};
};

TEST(TouchPixelTest, RoundsToTheNearestPixel) {
  struct Case {
    uint32_t raw, size, pixel;
  } cases[] = {
      {0, 1920, 0},     {8, 1920, 0},       {9, 1920, 1},       {15, 1080, 0},
      {16, 1080, 1},    {16383, 1920, 960}, {32767, 1920, 1920}, {32767, 1080, 1080},
      {32767, 0, 0},    {32767, 65535, 65535},
  };
  for (const Case& c : cases)
    EXPECT_EQ(CTouchReportHandler::Pixel(c.raw, c.size), c.pixel) << c.raw << " " << c.size;
}

// One position report during an announced touch: what the region window gets, whether the
// touch is announced and which panel states the driver hears.
TEST_F(TouchReportHandlerTest, PositionsReachTheRegionWindowAsScreenPixels) {
  struct Case {
    const char* name;
    uint32_t model;
    int32_t rotation;
    double factorX, factorY;
    uint16_t rawX, rawY;
    double wantX, wantY;
    bool announced;
  } cases[] = {
      {"plain", MODEL_TYPE_DRIVER, 0, 1, 1, 16384, 8192, 16384 * 1920.0 / 32767,
       8192 * 1080.0 / 32767, true},
      {"both round to 0", MODEL_TYPE_DRIVER, 0, 1, 1, 8, 15, 0, 0, false},
      {"x rounds to 1", MODEL_TYPE_DRIVER, 0, 1, 1, 9, 0, 9 * 1920.0 / 32767, 0, true},
      {"y rounds to 1", MODEL_TYPE_DRIVER, 0, 1, 1, 8, 16, 0, 16 * 1080.0 / 32767, true},
      {"far corner", MODEL_TYPE_FIRMWARE_4, 0, 1, 1, 32767, 32767, 1920, 1080, true},
      {"past the range", MODEL_TYPE_DRIVER, 0, 1, 1, 65535, 40000, 1920, 1080, true},
      {"90 swaps", MODEL_TYPE_DRIVER, 90, 1, 1, 16384, 8192, 8192 * 1920.0 / 32767,
       16384 * 1080.0 / 32767, true},
      {"270 swaps", MODEL_TYPE_DRIVER, 270, 1, 1, 100, 30000, 30000 * 1920.0 / 32767,
       100 * 1080.0 / 32767, true},
      {"180 keeps", MODEL_TYPE_DRIVER, 180, 1, 1, 100, 30000, 100 * 1920.0 / 32767,
       30000 * 1080.0 / 32767, true},
      // Factors apply to type 3 only; it takes the larger value for both axes, and 16:9 on Y.
      {"factors ignored", MODEL_TYPE_DRIVER, 0, 0.5, 0.5, 100, 3000, 100 * 1920.0 / 32767,
       3000 * 1080.0 / 32767, true},
      {"type 3 larger", MODEL_TYPE_FIRMWARE_3, 0, 1, 1, 100, 3000, 3000 * 1920.0 / 32767,
       5333 * 1080.0 / 32767, true},
      {"type 3 factors", MODEL_TYPE_FIRMWARE_3, 0, 0.5, 0.75, 20000, 100, 10000 * 1920.0 / 32767,
       26666 * 1080.0 / 32767, true},
      {"type 3 kept in range", MODEL_TYPE_FIRMWARE_3, 0, 1, 1, 30000, 0, 30000 * 1920.0 / 32767,
       1080, true},
      {"type 3 bad factor", MODEL_TYPE_FIRMWARE_3, 0, -2, 1e300, 1000, 0, 0, 1080, true},
      {"type 3 rotated", MODEL_TYPE_FIRMWARE_3, 90, 1, 1, 9000, 0, 16000 * 1920.0 / 32767,
       9000 * 1080.0 / 32767, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    CPenInputState state;
    state.SetSizeFactors(c.factorX, c.factorY);
    test::CFakePenLink penLink;
    test::CPanelStateLog panelStates;
    test::CFakeDisplay display;
    display.m_iRotation = c.rotation;
    auto window = std::make_shared<test::CFakeRegionWindow>();
    TouchReportContext context{&state, &display, &m_clock, &penLink, panelStates.Sender()};
    CTouchReportHandler handler(context);
    CTouchActionRunner runner(context);
    handler.PublishRegionWindow(window);
    TouchActions actions;
    // The touch starts at the origin, which announces nothing yet.
    handler.TouchPresence(Make(6, 1, 0, 0), Link(c.model), &actions);
    runner.Run(actions);
    ASSERT_TRUE(handler.TouchInProgress());
    ASSERT_FALSE(handler.Announced());
    actions.clear();
    handler.TouchPosition(Make(4, 0, c.rawX, c.rawY), Link(c.model), &actions);
    runner.Run(actions);
    auto got = window->Get();
    EXPECT_DOUBLE_EQ(got.m_dX, c.wantX);
    EXPECT_DOUBLE_EQ(got.m_dY, c.wantY);
    EXPECT_EQ(got.m_iPositions, 2);
    EXPECT_EQ(got.m_iSent, 2);
    EXPECT_EQ(handler.Announced(), c.announced);
    std::vector<PenLinkMessage> wantLink;
    std::vector<uint32_t> wantStates;
    if (c.announced) {
      wantLink.push_back({0, HANDLE, 0});
      if (c.model != MODEL_TYPE_FIRMWARE_3) wantStates.push_back(2);
    }
    EXPECT_EQ(penLink.Sent(), wantLink);
    EXPECT_EQ(panelStates.Codes(), wantStates);
  }
}

TEST_F(TouchReportHandlerTest, TouchIsAnnouncedOnceAndReleasedAtItsEnd) {
  m_handler.PublishRegionWindow(m_window);
  Presence(Make(6, 1, 1000, 2000), Link());
  EXPECT_TRUE(m_handler.Announced());
  Position(Make(4, 0, 1100, 2100), Link());
  Position(Make(4, 0, 1200, 2200), Link());
  EXPECT_EQ(m_penLink.Sent(), (std::vector<PenLinkMessage>{{0, HANDLE, 0}}));
  EXPECT_EQ(m_panelStates.Codes(), (std::vector<uint32_t>{2}));

  EXPECT_TRUE(Presence(Make(6, 0), Link()));
  EXPECT_FALSE(m_handler.TouchInProgress());
  EXPECT_FALSE(m_handler.Announced());
  EXPECT_EQ(m_penLink.Sent(), (std::vector<PenLinkMessage>{{0, HANDLE, 0}, {1, 0, 0}}));
  EXPECT_EQ(m_panelStates.Codes(), (std::vector<uint32_t>{2, 3}));
  auto got = m_window->Get();
  EXPECT_EQ(got.m_dX, 0.0);
  EXPECT_EQ(got.m_dY, 0.0);
  EXPECT_EQ(got.m_iSent, 4);

  // A position after the end updates the window but announces nothing.
  Position(Make(4, 0, 5000, 5000), Link());
  EXPECT_EQ(m_penLink.Sent().size(), 2u);
  // The next touch is announced again.
  Presence(Make(6, 1, 3000, 3000), Link());
  EXPECT_EQ(m_penLink.Sent().back(), (PenLinkMessage{0, HANDLE, 0}));
  EXPECT_EQ(m_panelStates.Codes(), (std::vector<uint32_t>{2, 3, 2}));
}

TEST_F(TouchReportHandlerTest, EndOtherThanReleaseClearsTheTouchWithoutPanelState) {
  m_handler.PublishRegionWindow(m_window);
  Presence(Make(6, 1, 1000, 2000), Link());
  EXPECT_TRUE(Presence(Make(6, 2), Link()));
  EXPECT_FALSE(m_handler.TouchInProgress());
  EXPECT_EQ(m_penLink.Sent(), (std::vector<PenLinkMessage>{{0, HANDLE, 0}, {1, 0, 0}}));
  EXPECT_EQ(m_panelStates.Codes(), (std::vector<uint32_t>{2}));
}

TEST_F(TouchReportHandlerTest, WithoutRegionWindowTheTouchIsStillAnnouncedAndReleased) {
  Presence(Make(6, 1, 1000, 2000), Link());
  Presence(Make(6, 0), Link());
  Presence(Make(6, 1, 1000, 2000), Link());
  EXPECT_EQ(m_penLink.Sent(),
            (std::vector<PenLinkMessage>{{0, 0, 0}, {1, 0, 0}, {0, 0, 0}}));
  EXPECT_EQ(m_panelStates.Codes(), (std::vector<uint32_t>{2, 3, 2}));
  // A withdrawn window is no longer written to.
  m_handler.PublishRegionWindow(m_window);
  m_handler.PublishRegionWindow(nullptr);
  Position(Make(4, 0, 5000, 5000), Link());
  EXPECT_EQ(m_window->Get().m_iPositions, 0);
}

TEST_F(TouchReportHandlerTest, TouchStartDuringCommandOrPauseIsNotTaken) {
  m_handler.PublishRegionWindow(m_window);
  Presence(Make(6, 1, 1000, 2000), Link(MODEL_TYPE_DRIVER, true));
  EXPECT_FALSE(m_handler.TouchInProgress());
  EXPECT_EQ(m_panelStates.Codes(), (std::vector<uint32_t>{1}));
  Presence(Make(6, 1, 1000, 2000), Link(MODEL_TYPE_DRIVER, false, true));
  EXPECT_FALSE(m_handler.TouchInProgress());
  EXPECT_EQ(m_panelStates.Codes(), (std::vector<uint32_t>{1}));
  EXPECT_TRUE(m_penLink.Sent().empty());
  EXPECT_EQ(m_window->Get().m_iPositions, 0);
}

TEST_F(TouchReportHandlerTest, RedrawIsPostedWhileACallerWaitsForTheWorker) {
  m_handler.PublishRegionWindow(m_window);
  Position(Make(4, 0, 100, 100), Link());
  Position(Make(4, 0, 100, 100), Link(MODEL_TYPE_DRIVER, true));
  Position(Make(4, 0, 100, 100), Link(MODEL_TYPE_DRIVER, false, true));
  Presence(Make(6, 0), Link(MODEL_TYPE_DRIVER, true));
  auto got = m_window->Get();
  EXPECT_EQ(got.m_iSent, 1);
  EXPECT_EQ(got.m_iPosted, 3);
}

TEST_F(TouchReportHandlerTest, AbandonTellsTheDriverAndKeepsTheAnnouncement) {
  Presence(Make(6, 1, 1000, 2000), Link());
  TouchActions abandon;
  m_handler.AbandonTouch(&abandon);
  m_runner.Run(abandon);
  EXPECT_FALSE(m_handler.TouchInProgress());
  EXPECT_EQ(m_panelStates.Codes(), (std::vector<uint32_t>{2, 3}));
  // The pen programs still hear the release when the panel reports it.
  Presence(Make(6, 0), Link());
  EXPECT_EQ(m_penLink.Sent().back(), (PenLinkMessage{1, 0, 0}));
}

TEST_F(TouchReportHandlerTest, TouchStateSetsTheTouchingFlagAndItsTick) {
  m_clock.Advance(1234);
  auto touchState = [this](const Report& r) {
    TouchActions actions;
    m_handler.TouchState(r, &actions);
    m_runner.Run(actions);
  };
  touchState(Make(3, 0));
  EXPECT_TRUE(m_state.Touching());
  EXPECT_EQ(m_state.TouchStartTick(), 1234u);
  touchState(Make(3, 7));  // neither touching nor released
  EXPECT_TRUE(m_state.Touching());
  touchState(Make(3, 1));
  EXPECT_FALSE(m_state.Touching());
  EXPECT_EQ(m_state.TouchStartTick(), 0u);
  EXPECT_EQ(m_penLink.Sent(), (std::vector<PenLinkMessage>{{2, 1, 1}, {2, 1, 0}}));
}

TEST_F(TouchReportHandlerTest, ButtonReportsSetTheirBits) {
  struct Case {
    uint8_t b2, b3, b4, b5;
    uint32_t buttons;
    std::vector<PenLinkMessage> link;
  } cases[] = {
      {1, 1, 0, 0, 1, {}},
      {0, 0, 1, 1, 3, {{0, 0, 0}}},
      {1, 0, 0, 1, 2, {}},
      {1, 7, 1, 9, 2, {}},  // values other than 0 and 1 change nothing
      {0, 1, 0, 0, 2, {}},  // a button bit without its flag is not taken
      {1, 1, 1, 0, 1, {{1, 0, 0}}},
      {0, 0, 1, 0, 1, {{1, 0, 0}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(testing::Message() << int(c.b2) << int(c.b3) << int(c.b4) << int(c.b5));
    test::CFakePenLink penLink;
    TouchReportContext context{&m_state, nullptr, nullptr, &penLink, nullptr};
    CTouchReportHandler handler(context);
    TouchActions actions;
    handler.Button(Report{1, 15, c.b2, c.b3, c.b4, c.b5}, &actions);
    CTouchActionRunner(context).Run(actions);
    EXPECT_EQ(m_state.ButtonState(), c.buttons);
    EXPECT_EQ(penLink.Sent(), c.link);
  }
}

// Through the link's report interpreter: short and foreign reports reach nothing; a touch
// position completes an awaited answer, a touch state does not.
TEST_F(TouchReportHandlerTest, LinkHandsOnlyWholeReportsToTheHandler) {
  test::CTempPrefix prefix;
  CSimHidBus bus{prefix.Paths()};
  CModelTable models;
  CTPdrvServiceMode link{bus, models, nullptr, nullptr, nullptr, {}, Context()};
  auto window = std::make_shared<test::CFakeRegionWindow>();
  link.PublishRegionWindow(window);
  uint8_t start[10] = {1, 6, 1, 0, 0, 0, 0x00, 0x40, 0x00, 0x20};
  EXPECT_FALSE(link.InterpretReport(start, 9));
  start[0] = 2;
  EXPECT_FALSE(link.InterpretReport(start, 10));
  EXPECT_FALSE(link.TouchInProgress());
  EXPECT_TRUE(m_penLink.Sent().empty());
  start[0] = 1;
  EXPECT_TRUE(link.InterpretReport(start, 10));
  EXPECT_TRUE(link.TouchInProgress());
  EXPECT_DOUBLE_EQ(window->Get().m_dX, 16384 * 1920.0 / 32767);
  uint8_t state[10] = {1, 3, 0};
  EXPECT_FALSE(link.InterpretReport(state, 10));
  uint8_t button[12] = {1, 15, 1, 1, 0, 0, 0, 0, 0, 0, 0, 0};
  EXPECT_TRUE(link.InterpretReport(button, sizeof button));
  EXPECT_EQ(m_state.ButtonState(), 1u);
  uint8_t end[10] = {1, 6, 0};
  EXPECT_TRUE(link.InterpretReport(end, 10));
  EXPECT_FALSE(link.TouchInProgress());
  EXPECT_EQ(m_panelStates.Codes(), (std::vector<uint32_t>{2, 3}));
}

}  // namespace
}  // namespace kv
