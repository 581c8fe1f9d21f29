// The property sheet's pages without a display: the range page's clamping, the speed
// page's slider mapping and click timing, the touch-mode table, the operation page's
// questions and what its OK stores and sends when sends fail or the driver is off.
#include <gtest/gtest.h>

#include "resources/StringTable.h"
#include "resources/TextFormat.h"
#include "tabrix/ui/PropSetSheet.h"
#include "tests/support/FakeClock.h"
#include "tests/tabrix/AppFakes.h"
#include "tests/tabrix/FakeRegistry.h"
#include "tests/tabrix/ScreenFakes.h"

namespace kv {
namespace {

const std::string kModelKey = "SOFTWARE\\KAVRO\\Corvane\\Setting\\VT-R700A";

class PagesTest : public ::testing::Test {
 protected:
  PagesTest() { m_settings.SetModelSubkey("\\VT-R700A"); }
  void Store(const std::string& name, uint32_t value) {
    m_registry.CreateKey(RegistryHive::CURRENT_USER, kModelKey);
    m_registry.SetDword(RegistryHive::CURRENT_USER, kModelKey, name, value);
  }
  uint32_t Stored(const std::string& name) {
    RegistryValue v;
    return m_registry.Peek(RegistryHive::CURRENT_USER, kModelKey, name, &v) ? v.m_uDword : 999;
  }
  PenButtonPageContext Context(int32_t osType = 16, int32_t singleMode = 0) {
    return {m_settings, m_strings, m_boxes, "Corvane", m_host, m_pen, m_sender, osType, singleMode};
  }

  test::CFakeRegistry m_registry;
  test::CRecordingParameters m_parameters;
  SettingsStore m_settings{m_registry, m_parameters};
  CStringTable m_strings = CStringTable::BuiltIn("tabrix");
  test::CFakeMessageBoxes m_boxes;
  test::CFakeScreenHost m_host;
  CPenInputState m_pen;
  test::CFakeSender m_sender;
  test::CFakeClock m_clock;
};

TEST_F(PagesTest, RangeEditClampsAsTypedAndOnLeaving) {
  const struct {
    const char* m_pszTyped;
    const char* m_pszShown;  // in the box right after typing
    int32_t m_iSlider;
    const char* m_pszLeft;  // after the box lost the focus
  } cases[] = {{"70", "64", 64, "64"}, {"5", "5", 8, "8"},     {"", "", 8, "8"},
               {"4a", "4a", 8, "8"},   {"32", "32", 32, "32"}, {"99", "64", 64, "64"},
               {"08", "08", 8, "8"},   {"-1", "-1", 8, "8"}};
  for (const auto& c : cases) {
    CDblClickSetPage page(m_settings, true);
    page.Initialise();
    EXPECT_EQ(page.OnEditChanged(c.m_pszTyped), std::string(c.m_pszShown) != c.m_pszTyped);
    EXPECT_EQ(page.EditText(), c.m_pszShown) << c.m_pszTyped;
    EXPECT_EQ(page.SliderPosition(), c.m_iSlider) << c.m_pszTyped;
    page.OnEditKillFocus();
    EXPECT_EQ(page.EditText(), c.m_pszLeft) << c.m_pszTyped;
  }
}

TEST_F(PagesTest, RangePageReadsAppliesAndStoresTheClampedValue) {
  const uint32_t stored[][2] = {{0, 32}, {40, 40}, {3, 8}, {100, 64}, {0xFFFFFFFF, 64}};
  for (const auto& s : stored) {
    Store("DblClick", s[0]);
    CDblClickSetPage page(m_settings, true);
    page.Initialise();
    EXPECT_EQ(page.SliderPosition(), static_cast<int32_t>(s[1])) << s[0];
    EXPECT_EQ(page.EditText(), std::to_string(s[1]));
  }
  CDblClickSetPage page(m_settings, true);
  page.Initialise();
  page.OnSlider(20);
  EXPECT_EQ(page.EditText(), "20");
  EXPECT_EQ(page.PreviewDiameter(), 20);
  page.OnDefault();
  EXPECT_EQ(page.EditText(), "32");
  page.OnEditChanged("5");  // OK while the box still shows 5 stores 8
  page.OnOk();
  EXPECT_EQ(Stored("DblClick"), 8u);
  EXPECT_EQ(m_parameters.m_values[SystemParameter::DOUBLE_CLICK_WIDTH], 8u);

  CDblClickSetPage dual(m_settings, false);
  dual.Initialise();
  dual.OnSlider(50);
  dual.OnOk();
  EXPECT_EQ(Stored("DblClick"), 8u) << "outside single touch OK stores nothing";
}

TEST_F(PagesTest, SpeedSliderStandsForThirteenHundredMinusTheTime) {
  const uint32_t cases[][2] = {{500, 800}, {0, 800}, {1000, 300}, {300, 1000},
                               {5000, 300}, {100, 1000}, {0xFFFFFFFF, 300}};
  for (const auto& c : cases) {
    Store("DblClickInterval", c[0]);
    CDblClickIntervalSetPage page(m_settings, m_clock, true);
    page.Initialise();
    EXPECT_EQ(page.SliderPosition(), static_cast<int32_t>(c[1])) << c[0];
  }
  CDblClickIntervalSetPage page(m_settings, m_clock, true);
  page.Initialise();
  page.OnSlider(650);
  page.OnOk();
  EXPECT_EQ(Stored("DblClickInterval"), 650u);
  EXPECT_EQ(m_parameters.m_values[SystemParameter::DOUBLE_CLICK_TIME], 650u);
  page.OnDefault();
  EXPECT_EQ(page.IntervalMs(), 500u);
}

TEST_F(PagesTest, TwoClicksInTheAutoAreaSetTheSpeedOnlyWithinFiftyToThousandMs) {
  const struct {
    uint32_t m_uGapMs;
    int32_t m_iSlider;
  } cases[] = {{40, 800}, {450, 850}, {50, 1000}, {1000, 300}, {1001, 800}, {49, 800}};
  for (const auto& c : cases) {
    CDblClickIntervalSetPage page(m_settings, m_clock, true);  // starts at 800
    page.OnClickAuto();
    m_clock.Advance(c.m_uGapMs);
    page.OnClickAuto();
    EXPECT_EQ(page.SliderPosition(), c.m_iSlider) << c.m_uGapMs;
  }
  // A slow pair keeps the second click as the new first one; a used pair is forgotten.
  CDblClickIntervalSetPage page(m_settings, m_clock, true);
  page.OnClickAuto();
  m_clock.Advance(2000);
  page.OnClickAuto();
  m_clock.Advance(600);
  page.OnClickAuto();
  EXPECT_EQ(page.SliderPosition(), 700);
  m_clock.Advance(100);
  page.OnClickAuto();
  EXPECT_EQ(page.SliderPosition(), 700);
}

TEST_F(PagesTest, TestAreaFlipsOnlyForClicksWithinTheChosenTime) {
  CDblClickIntervalSetPage page(m_settings, m_clock, true);
  page.OnDefault();  // 500 ms
  EXPECT_EQ(page.TestPicture(), 252u);
  EXPECT_FALSE(page.OnClickTest());  // at tick 0: still a first click
  m_clock.Advance(600);
  EXPECT_FALSE(page.OnClickTest());
  m_clock.Advance(300);
  EXPECT_TRUE(page.OnClickTest());
  EXPECT_EQ(page.TestPicture(), 253u);
  m_clock.Advance(100);
  EXPECT_FALSE(page.OnClickTest()) << "a flip forgets its clicks";
  m_clock.Advance(500);
  EXPECT_TRUE(page.OnClickTest());
  EXPECT_EQ(page.TestPicture(), 252u);

  CDblClickIntervalSetPage dual(m_settings, m_clock, false);
  dual.OnClickTest();
  EXPECT_FALSE(dual.OnClickTest());
  dual.OnClickAuto();
  m_clock.Advance(450);
  dual.OnClickAuto();
  EXPECT_EQ(dual.SliderPosition(), 800);
}

TEST(TouchModeListTest, ItemsFlagsAndMappingsPerGeneration) {
  const struct {
    int32_t m_iOs, m_iSingleMode;
    std::vector<uint32_t> m_items;
    uint32_t m_uFlags;
    std::vector<int> m_itemFor;            // stored touch mode 0..3
    std::vector<uint32_t> m_touchFor;      // item 0..n-1
  } cases[] = {
      {15, 0, {1041}, 0, {0, 0, 0, 0}, {0}},
      {15, 1, {1041}, 0, {0, 0, 0, 0}, {0}},
      {16, 0, {1041, 1044}, 17, {0, 0, 1, 1}, {0, 2}},
      {16, 1, {1042, 1043, 1044}, 33, {0, 1, 2, 2}, {0, 1, 2}},
  };
  for (const auto& c : cases) {
    CTouchModeList list(c.m_iOs, c.m_iSingleMode);
    EXPECT_EQ(list.ItemTexts(), c.m_items);
    EXPECT_EQ(list.Flags(), c.m_uFlags);
    for (uint32_t t = 0; t < 4; ++t) EXPECT_EQ(list.ItemFor(t), c.m_itemFor[t]) << t;
    for (size_t i = 0; i < c.m_touchFor.size(); ++i)
      EXPECT_EQ(list.TouchModeFor(static_cast<int>(i)), c.m_touchFor[i]);
  }
  const uint32_t descriptions[][2] = {{0, 1141}, {1, 1142}, {2, 1143}, {7, 1141}};
  for (const auto& d : descriptions) EXPECT_EQ(CTouchModeList::DescriptionFor(d[0]), d[1]);
}

TEST_F(PagesTest, OperationPageSelectsWhatIsStored) {
  Store("InputMode", 0x21);
  Store("PenButon", 0x0100);
  Store("RegionDetection", 0);
  Store("CalibDisp", 1);
  Store("SingleClickType", 1);
  Store("SingleClick", 40);
  CPenButtonSetPage page(Context());
  page.Initialise();
  using P = CPenButtonSetPage;
  EXPECT_EQ(page.Selection(P::BUTTON1), 0);
  EXPECT_EQ(page.Selection(P::BUTTON2), 1);
  EXPECT_EQ(page.Selection(P::INPUT), 1);
  EXPECT_EQ(page.Selection(P::TOUCH), 1);
  EXPECT_EQ(page.Items(P::TOUCH), (std::vector<std::string>{"Single", "Dual"}));
  EXPECT_EQ(page.Description(), m_strings.Get(1143));
  EXPECT_EQ(page.Selection(P::REGION), 0);
  EXPECT_EQ(page.Selection(P::CALIB_DISP), 1);
  EXPECT_TRUE(page.ClickRangeEnabled());
  EXPECT_EQ(page.ClickRange(), 32);
  EXPECT_EQ(page.ClickTicks(), 4);

  Store("PenButon", 0x0203);  // indexes the lists do not have
  Store("InputMode", 0x07);
  CPenButtonSetPage odd(Context());
  odd.Initialise();
  EXPECT_EQ(odd.Selection(P::BUTTON1), 0);
  EXPECT_EQ(odd.Selection(P::BUTTON2), 0);
  EXPECT_EQ(odd.Selection(P::INPUT), 0);
  EXPECT_EQ(odd.Items(P::BUTTON2), (std::vector<std::string>{"Disable", "Pen Software Link"}));
}

TEST_F(PagesTest, PenAndDualQuestionsKeepTheListsConsistent) {
  using P = CPenButtonSetPage;
  const struct {
    const char* m_pszWhat;
    int32_t m_iOs, m_iSingleMode;
    uint32_t m_uStored;
    P::List m_list;
    int m_iItem;
    int m_iAnswer;
    uint32_t m_uBoxText;  // 0: no box
    int m_iInput, m_iTouch;
  } cases[] = {
      {"pen while dual, yes", 16, 0, 0x20, P::INPUT, 2, MBR_YES, 60021, 2, 0},
      {"pen while dual, no", 16, 0, 0x20, P::INPUT, 2, MBR_NO, 60021, 0, 1},
      {"pen while dual, three items", 16, 1, 0x20, P::INPUT, 2, 0, 60027, 0, 2},
      {"dual while pen", 16, 0, 0x02, P::TOUCH, 1, 0, 60028, 2, 0},
      {"dual while pen, three items", 16, 1, 0x02, P::TOUCH, 2, 0, 60028, 2, 0},
      {"leaving pen with single", 16, 0, 0x02, P::INPUT, 0, 0, 60022, 0, 0},
      {"leaving pen with single2", 16, 1, 0x12, P::INPUT, 1, 0, 60022, 1, 1},
      {"leaving pen with single1", 16, 1, 0x02, P::INPUT, 1, 0, 0, 1, 0},
      {"before windows 7 never asks", 15, 0, 0x00, P::INPUT, 2, 0, 0, 2, 0},
      {"same item again", 16, 0, 0x22, P::INPUT, 2, 0, 0, 2, 1},
  };
  for (const auto& c : cases) {
    Store("InputMode", c.m_uStored);
    m_boxes.m_shown.clear();
    if (c.m_iAnswer) m_boxes.m_answers = {c.m_iAnswer};
    CPenButtonSetPage page(Context(c.m_iOs, c.m_iSingleMode));
    page.Initialise();
    page.OnSelect(c.m_list, c.m_iItem);
    if (c.m_uBoxText == 0) {
      EXPECT_TRUE(m_boxes.m_shown.empty()) << c.m_pszWhat;
    } else {
      ASSERT_EQ(m_boxes.m_shown.size(), 1u) << c.m_pszWhat;
      const std::string expected = c.m_uBoxText == 60022
                                       ? CTextFormat::Printf(m_strings.Get(60022),
                                                             {page.Items(P::INPUT)[c.m_iInput]})
                                       : m_strings.Get(c.m_uBoxText);
      EXPECT_EQ(m_boxes.m_shown[0].m_sText, expected) << c.m_pszWhat;
      EXPECT_EQ(m_boxes.m_shown[0].m_uFlags & 0xF0,
                c.m_uBoxText == 60021 ? MBF_ICON_QUESTION : MBF_ICON_ASTERISK);
    }
    EXPECT_EQ(page.Selection(P::INPUT), c.m_iInput) << c.m_pszWhat;
    EXPECT_EQ(page.Selection(P::TOUCH), c.m_iTouch) << c.m_pszWhat;
    EXPECT_EQ(page.Description(),
              m_strings.Get(CTouchModeList::DescriptionFor(page.TouchList().TouchModeFor(c.m_iTouch))))
        << c.m_pszWhat;
  }
}

TEST_F(PagesTest, OptimizeHtmlAsksBeforeEnablingAndPutsDragSizeBack) {
  using P = CPenButtonSetPage;
  CPenButtonSetPage page(Context());
  page.Initialise();
  EXPECT_FALSE(page.ClickRangeEnabled());
  EXPECT_EQ(page.ClickTicks(), 0);
  m_boxes.m_answers = {MBR_NO};
  page.OnSelect(P::HTML, 1);
  ASSERT_EQ(m_boxes.m_shown.size(), 1u);
  EXPECT_EQ(m_boxes.m_shown[0].m_sText, m_strings.Get(60104));
  EXPECT_EQ(m_boxes.m_shown[0].m_uFlags,
            MBF_YES_NO | MBF_ICON_EXCLAMATION | MBF_DEFAULT_BUTTON_2);
  EXPECT_EQ(page.Selection(P::HTML), 0);
  EXPECT_EQ(m_parameters.m_values[SystemParameter::DRAG_WIDTH], 4u);
  m_boxes.m_answers = {MBR_YES};
  page.OnSelect(P::HTML, 1);
  EXPECT_TRUE(page.ClickRangeEnabled());
  page.OnClickRange(99);
  EXPECT_EQ(page.ClickRange(), 32);
  page.OnDefault();
  EXPECT_EQ(page.ClickRange(), 16);
  page.OnClickRange(20);
  page.OnOk();
  EXPECT_EQ(Stored("SingleClickType"), 1u);
  EXPECT_EQ(Stored("SingleClick"), 20u);
  EXPECT_EQ(m_parameters.m_values[SystemParameter::DRAG_HEIGHT], 20u);
  m_parameters.m_values.clear();
  page.OnSelect(P::HTML, 0);
  EXPECT_EQ(m_parameters.m_values[SystemParameter::DRAG_WIDTH], 4u) << "at once, before OK";
  page.OnSelect(P::HTML, 7);  // an item the list does not have changes nothing
  EXPECT_EQ(page.Selection(P::HTML), 0);
}

TEST_F(PagesTest, OkSendsAndStoresByTheFailureRules) {
  using P = CPenButtonSetPage;
  const struct {
    const char* m_pszWhat;
    bool m_bDriverOn, m_bButtonsOk, m_bInputOk, m_bRegionOk, m_bChange;
    std::vector<std::string> m_sent;
    uint32_t m_uPenButon, m_uInputMode, m_uRegion;
  } cases[] = {
      {"nothing changed sends only the buttons", true, true, true, true, false,
       {"buttons=257"}, 257, 0x20, 1},
      {"all sent and stored", true, true, true, true, true,
       {"buttons=1", "input=1", "region=0"}, 1, 0x01, 0},
      {"input refused keeps the stored mode", true, true, false, true, true,
       {"buttons=1", "input=1", "region=0"}, 1, 0x20, 0},
      {"region refused keeps the stored value", true, true, true, false, true,
       {"buttons=1", "input=1", "region=0"}, 1, 0x01, 1},
      {"buttons refused: the rest is stored unsent", true, false, true, true, true,
       {"buttons=1"}, 257, 0x01, 0},
      {"driver off: stored unsent", false, true, true, true, true,
       {"buttons=1"}, 1, 0x01, 0},
  };
  for (const auto& c : cases) {
    Store("PenButon", 257);
    Store("InputMode", 0x20);
    Store("RegionDetection", 1);
    m_host.m_bDriverOn = c.m_bDriverOn;
    m_host.m_uPenButton = 257;
    m_sender = test::CFakeSender();
    m_sender.m_bButtonsOk = c.m_bButtonsOk;
    m_sender.m_bInputOk = c.m_bInputOk;
    m_sender.m_bRegionOk = c.m_bRegionOk;
    m_pen.SetTouchMode(2);
    CPenButtonSetPage page(Context());
    page.Initialise();
    if (c.m_bChange) {
      page.OnSelect(P::BUTTON2, 0);
      page.OnSelect(P::TOUCH, 0);
      page.OnSelect(P::INPUT, 1);
      page.OnSelect(P::REGION, 0);
    }
    page.OnOk();
    EXPECT_EQ(m_sender.m_sent, c.m_sent) << c.m_pszWhat;
    EXPECT_EQ(Stored("PenButon"), c.m_uPenButon) << c.m_pszWhat;
    EXPECT_EQ(m_host.m_uPenButton, c.m_uPenButon) << c.m_pszWhat;
    EXPECT_EQ(Stored("InputMode"), c.m_uInputMode) << c.m_pszWhat;
    EXPECT_EQ(m_pen.TouchMode(), (c.m_uInputMode >> 4) & 15) << c.m_pszWhat;
    EXPECT_EQ(Stored("RegionDetection"), c.m_uRegion) << c.m_pszWhat;
    EXPECT_EQ(Stored("CalibDisp"), 1u);
  }
}

TEST_F(PagesTest, SheetHoldsTheRangePagesOnlyInSingleTouch) {
  CPropSetSheet single(Context(), m_clock, 0);
  EXPECT_EQ(single.Pages(), (std::vector<CPropSetSheet::Page>{CPropSetSheet::RANGE_PAGE,
                                                             CPropSetSheet::SPEED_PAGE,
                                                             CPropSetSheet::OPERATION_PAGE}));
  for (uint32_t touch : {1u, 2u}) {
    CPropSetSheet dual(Context(), m_clock, touch);
    EXPECT_EQ(dual.Pages(), std::vector<CPropSetSheet::Page>{CPropSetSheet::OPERATION_PAGE});
    EXPECT_EQ(dual.RangePage(), nullptr);
    EXPECT_EQ(dual.SpeedPage(), nullptr);
  }
  single.Initialise();
  single.RangePage()->OnSlider(24);
  single.SpeedPage()->OnSlider(900);
  single.OnOk();
  EXPECT_EQ(Stored("DblClick"), 24u);
  EXPECT_EQ(Stored("DblClickInterval"), 400u);
  EXPECT_EQ(m_sender.m_sent.front(), "buttons=257");
}

}  // namespace
}  // namespace kv
