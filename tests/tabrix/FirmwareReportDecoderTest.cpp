// The firmware report decoder on reports as the panel sends them (the byte strings are
// taken from report logs): answer fields, which reports end a wait, the self-test records,
// and the pen reports' decisions, which it hands back instead of acting on them.
#include <gtest/gtest.h>

#include <array>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "tabrix/firmware/FirmwareReportDecoder.h"
#include "tests/support/FakeClock.h"
#include "tests/tabrix/CalibrationFakes.h"
#include "tests/tabrix/TouchFakes.h"

namespace kv {
namespace {

using Answer = CFirmwareReportDecoder::Answer;
using LinkState = CTouchReportHandler::LinkState;

// "01 05 ef be ..." as a report log line shows it, padded to the 64-byte input report.
std::vector<uint8_t> Recorded(const char* hex) {
  std::vector<uint8_t> r;
  unsigned byte = 0;
  int used = 0;
  for (const char* p = hex; *p != '\0'; p += used)
    if (std::sscanf(p, " %2x%n", &byte, &used) == 1) r.push_back(static_cast<uint8_t>(byte));
    else break;
  r.resize(64, 0);
  return r;
}

class FirmwareReportDecoderTest : public ::testing::Test {
 protected:
  CFirmwareReportDecoder::Result Decode(const char* hex, bool checkData = false,
                                        LinkState link = {}) {
    std::vector<uint8_t> r = Recorded(hex);
    return m_decoder.Decode(r.data(), r.size(), checkData, link);
  }

  CPenInputState m_state;
  test::CFakeDisplay m_display;
  test::CFakeClock m_clock;
  CTouchReportHandler m_touch{TouchReportContext{&m_state, &m_display, &m_clock, nullptr, {}}};
  CFirmwareReportDecoder m_decoder{m_touch};
};

TEST_F(FirmwareReportDecoderTest, AnswersFillTheirFieldsAndEndTheWait) {
  struct Case {
    const char* report;
    Answer answer;
  } cases[] = {
      {"01 01 00 00 00 00 00 3c 00 00", Answer::DIP},
      {"01 05 ef be 00 00 02 05 00 00", Answer::SUM},
      {"01 07 00 00 00 00 00 00 00 00", Answer::COMPAT},
      {"01 0b 34 12 00 00 ff ff 01 80", Answer::CALIB},
      {"01 10 fe ff 05 00 fe ff fe ff", Answer::DEVPOS},
      {"01 11 00 01 00 02 00 03 ff ff", Answer::SCRPOS},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.report);
    m_decoder.Clear(c.answer);
    EXPECT_FALSE(m_decoder.Valid(c.answer));
    auto result = Decode(c.report);
    EXPECT_TRUE(result.m_bComplete);
    EXPECT_FALSE(result.m_bTouchAnswered);
    EXPECT_TRUE(result.m_actions.empty());
    EXPECT_TRUE(m_decoder.Valid(c.answer));
  }
  EXPECT_EQ(m_decoder.Dip(), 0x3C);
  EXPECT_EQ(m_decoder.CheckSum(), 0xBEEFu);
  EXPECT_EQ(m_decoder.CheckSumFlag(), 1u);  // byte 4 = 0: the sum is right
  EXPECT_EQ(m_decoder.Version(), 0x000205u);
  EXPECT_EQ(m_decoder.Calibration(), (std::array<uint16_t, 4>{0x1234, 0, 0xFFFF, 0x8001}));
  // The first and third device words come inverted when their top bit is set.
  EXPECT_EQ(m_decoder.DevicePosition(), (std::array<uint16_t, 4>{1, 5, 1, 0xFFFE}));
  EXPECT_EQ(m_decoder.ScreenPosition(), (std::array<uint16_t, 4>{0x100, 0x200, 0x300, 0xFFFF}));
  // A wrong checksum is flagged; the version takes three bytes.
  Decode("01 05 01 00 01 12 34 56 00 00");
  EXPECT_EQ(m_decoder.CheckSumFlag(), 0u);
  EXPECT_EQ(m_decoder.Version(), 0x123456u);
}

TEST_F(FirmwareReportDecoderTest, ShortForeignAndUnknownReports) {
  std::vector<uint8_t> sum = Recorded("01 05 ef be 00 00 02 05 00 00");
  m_decoder.Clear(Answer::SUM);
  EXPECT_FALSE(m_decoder.Decode(sum.data(), 9, false, {}).m_bComplete);
  EXPECT_FALSE(m_decoder.Decode(nullptr, 64, false, {}).m_bComplete);
  sum[0] = 2;
  EXPECT_FALSE(m_decoder.Decode(sum.data(), sum.size(), false, {}).m_bComplete);
  EXPECT_FALSE(m_decoder.Valid(Answer::SUM));
  // An unknown answer ends a wait, so the waiting command fails on its own flag.
  EXPECT_TRUE(Decode("01 63 00 00 00 00 00 00 00 00").m_bComplete);
}

TEST_F(FirmwareReportDecoderTest, SelfTestRecordsAreTakenOnlyForTheirRequestUpToTheLimit) {
  m_decoder.Clear(Answer::CHECK);
  EXPECT_FALSE(Decode("01 02 01 01 58 02 00 00 00 00", false).m_bComplete);
  EXPECT_EQ(m_decoder.CheckCount(), 0u);
  EXPECT_FALSE(Decode("01 02 01 01 58 02 00 00 00 00", true).m_bComplete);
  EXPECT_FALSE(Decode("01 02 01 02 5b 02 00 00 00 00", true).m_bComplete);
  ASSERT_EQ(m_decoder.CheckCount(), 2u);
  EXPECT_EQ(m_decoder.CheckRecord(1)[3], 2);
  EXPECT_EQ(m_decoder.CheckRecord(1)[4], 0x5B);
  EXPECT_FALSE(m_decoder.Valid(Answer::CHECK));
  // The end marker completes the answer and is not counted.
  EXPECT_TRUE(Decode("01 02 ff ff 00 00 00 00 00 00", true).m_bComplete);
  EXPECT_TRUE(m_decoder.Valid(Answer::CHECK));
  EXPECT_EQ(m_decoder.CheckCount(), 2u);

  // A flood past the limit is dropped, end marker included.
  m_decoder.Clear(Answer::CHECK);
  EXPECT_EQ(m_decoder.CheckCount(), 0u);
  for (size_t i = 0; i < CFirmwareReportDecoder::MAX_CHECK_RECORDS + 5; ++i)
    Decode("01 02 01 01 58 02 00 00 00 00", true);
  EXPECT_EQ(m_decoder.CheckCount(), CFirmwareReportDecoder::MAX_CHECK_RECORDS);
  EXPECT_FALSE(Decode("01 02 ff ff 00 00 00 00 00 00", true).m_bComplete);
  EXPECT_FALSE(m_decoder.Valid(Answer::CHECK));
}

// Pen reports come back as decisions; nothing outside the decoder changes until they run.
TEST_F(FirmwareReportDecoderTest, PenReportsReturnTheirDecisions) {
  auto window = std::make_shared<test::CFakeRegionWindow>();
  m_touch.PublishRegionWindow(window);
  m_clock.Advance(700);
  struct Case {
    const char* report;
    bool complete, touchAnswered;
    std::vector<TouchAction::Kind> kinds;
  } cases[] = {
      {"01 03 00 00 00 00 00 00 00 00", false, false, {TouchAction::TOUCHING, TouchAction::PEN_LINK}},
      {"01 06 01 00 00 00 00 40 00 20", true, false,
       {TouchAction::REGION_POSITION, TouchAction::REGION_REDRAW, TouchAction::PEN_LINK,
        TouchAction::PANEL_STATE}},
      {"01 04 00 00 00 00 00 41 00 21", true, true,
       {TouchAction::REGION_POSITION, TouchAction::REGION_REDRAW}},
      {"01 0f 01 01 01 01 00 00 00 00", true, false,
       {TouchAction::BUTTON, TouchAction::BUTTON, TouchAction::PEN_LINK}},
      {"01 06 00 00 00 00 00 00 00 00", true, true,
       {TouchAction::PANEL_STATE, TouchAction::PEN_LINK, TouchAction::REGION_POSITION,
        TouchAction::REGION_REDRAW}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.report);
    auto result = Decode(c.report, false, LinkState{MODEL_TYPE_DRIVER, false, false});
    EXPECT_EQ(result.m_bComplete, c.complete);
    EXPECT_EQ(result.m_bTouchAnswered, c.touchAnswered);
    std::vector<TouchAction::Kind> kinds;
    for (const TouchAction& a : result.m_actions) kinds.push_back(a.m_kind);
    EXPECT_EQ(kinds, c.kinds);
  }
  EXPECT_FALSE(m_state.Touching());
  EXPECT_EQ(m_state.ButtonState(), 0u);
  EXPECT_EQ(window->Get().m_iPositions, 0);
  // The touch state's decision carries its start tick.
  auto touching = Decode("01 03 00 00 00 00 00 00 00 00");
  ASSERT_FALSE(touching.m_actions.empty());
  EXPECT_TRUE(touching.m_actions[0].m_bFlag);
  EXPECT_EQ(touching.m_actions[0].m_uWParam, 700u);
}

}  // namespace
}  // namespace kv
