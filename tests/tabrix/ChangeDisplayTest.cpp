// The resolution notice's decisions on a fake clock: the tray program's logic with the
// registry under a temporary prefix, a driver that answers every request, and recording
// stand-ins for the screen, the windows, the boxes and the notice's own dialog.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "platform/posix/FileSystemParameters.h"
#include "platform/posix/SimHidBus.h"
#include "platform/posix/SqliteRegistry.h"
#include "tabrix/app/ChangeDisplayDlg.h"
#include "tabrix/app/HotKeyDispatcher.h"
#include "tabrix/app/TrayCommands.h"
#include "tests/support/FakeClock.h"
#include "tests/support/TempPrefix.h"
#include "tests/tabrix/AppFakes.h"
#include "tests/tabrix/CalibrationFakes.h"
#include "tests/tabrix/FakePipeTransport.h"

namespace kv {
namespace {

constexpr uint32_t SET_CALIBRATION = 7;

// Boxes that can run code while they are up, as a modal loop would.
class CReentrantBoxes final : public MessageBoxes {
 public:
  int Show(const std::string& text, const std::string&, uint32_t flags) override {
    m_shown.push_back({text, flags});
    if (m_whileUp) {
      auto inner = std::move(m_whileUp);
      inner();
    }
    return (flags & 0xF) == MBF_YES_NO ? m_iYesNo : MBR_OK;
  }
  int m_iYesNo = MBR_NO;
  std::vector<std::pair<std::string, uint32_t>> m_shown;
  std::function<void()> m_whileUp;
};

class ChangeDisplayTest : public ::testing::Test {
 protected:
  ChangeDisplayTest()
      : m_paths(m_prefix.Paths()), m_registry(m_paths), m_parameters(m_paths), m_hid(m_paths),
        m_system{m_paths,   m_prefix.Dir(), m_clock,    m_registry, m_parameters,
                 m_pipes,   m_hid,          m_display,  m_boxes,    m_processes,
                 m_services, m_windows,     m_beeper,   m_hotKeys,  m_version,
                 4242,      16,             0x0409} {}

  void SetUp() override { Start(); }

  void Start() {
    m_shell = std::make_unique<CAppShell>(m_system);
    m_shell->m_bPanelConnected = true;
    m_window = std::make_unique<CCalibrationWnd>(*m_shell, m_views);
    m_views.CreateMainWindow(*m_window);
    m_views.FireFirstAdd();
    ASSERT_TRUE(m_window->DriverOn());
    ASSERT_NE(m_window->DisplayNotice(), nullptr);
  }

  CChangeDisplayDlg& Notice() { return *m_window->DisplayNotice(); }
  test::CFakeChangeDisplayView& View() { return m_views.m_view.m_notice; }
  CCalibrationStore& Store() { return m_shell->Calibration(); }

  void PutPreset(const char* resolution, const char* preset, double rx, double ry, double ox,
                 double oy) {
    const std::string key = Store().PresetKey() + "\\" + resolution + "\\" + preset;
    const double v[4] = {rx, ry, ox, oy};
    const char* names[4] = {"CalibRatioX", "CalibRatioY", "CalibOffsetX", "CalibOffsetY"};
    m_registry.CreateKey(RegistryHive::LOCAL_MACHINE, key);
    for (int i = 0; i < 4; ++i)
      m_registry.SetString(RegistryHive::LOCAL_MACHINE, key, names[i], std::to_string(v[i]));
    Store().LoadPresetTable();
  }
  void PutUser(int w, int h, const CalibrationValues& v) {
    const std::string key = Store().ResolutionKey(w, h);
    m_shell->Settings().WriteString(key, "CalibRatioX", std::to_string(v.m_dRatioX));
    m_shell->Settings().WriteString(key, "CalibRatioY", std::to_string(v.m_dRatioY));
    m_shell->Settings().WriteString(key, "CalibOffsetX", std::to_string(v.m_dOffsetX));
    m_shell->Settings().WriteString(key, "CalibOffsetY", std::to_string(v.m_dOffsetY));
  }
  std::string UserValue(int w, int h, const char* name) {
    return m_shell->Settings().ReadString(Store().ResolutionKey(w, h), name, "<absent>");
  }
  // The screen takes the size and the system says so; the wait timer's first tick follows.
  void Change(uint32_t w, uint32_t h) {
    m_display.m_uWidth = w;
    m_display.m_uHeight = h;
    Notice().OnDisplayChange(w, h);
    TickWait();
  }
  void TickWait() {
    if (View().Running(CChangeDisplayDlg::TIMER_WAIT))
      Notice().OnTimer(CChangeDisplayDlg::TIMER_WAIT);
  }
  void AdvanceSettle(uint32_t ms) {
    m_clock.Advance(ms);
    if (View().Running(CChangeDisplayDlg::TIMER_SETTLE))
      Notice().OnTimer(CChangeDisplayDlg::TIMER_SETTLE);
  }
  size_t CalibrationsSent() {
    size_t n = 0;
    for (uint32_t c : m_pipes.Commands()) n += c == SET_CALIBRATION;
    return n;
  }
  std::string Question(uint32_t id, const char* size) {
    std::string text = m_shell->Text(id, size);
    if (id == CChangeDisplayDlg::ASK_READJUST_ID) text += m_shell->Strings().Get(CChangeDisplayDlg::ASK_CALIBRATE_ID);
    return text;
  }
  void ExpectShown(bool shown) {
    EXPECT_EQ(Notice().Shown(), shown);
    EXPECT_EQ(View().m_bVisible, shown);
    EXPECT_EQ(m_window->DisplayChangeShown(), shown);
  }

  test::CTempPrefix m_prefix;
  CPaths m_paths;
  test::CFakeClock m_clock;
  CSqliteRegistry m_registry;
  CFileSystemParameters m_parameters;
  test::CFakePipeTransport m_pipes;
  CSimHidBus m_hid;
  test::CFakeDisplay m_display;
  CReentrantBoxes m_boxes;
  test::CFakeProcessLauncher m_processes;
  test::CFakeServiceControl m_services;
  test::CFakeWindowSystem m_windows;
  test::CFakeBeeper m_beeper;
  test::CFakeHotKeys m_hotKeys;
  CVersionResource m_version{{{"ProductVersion", "2.2.2.7"}}};
  AppServices m_system;
  test::CFakeAppViews m_views;
  std::unique_ptr<CAppShell> m_shell;
  std::unique_ptr<CCalibrationWnd> m_window;
};

TEST_F(ChangeDisplayTest, TheQuestionFollowsNoticesPresetsAndStoredValues) {
  enum Setup { NOTHING, WIDE, NORMAL_ONLY, USER, USER_NEUTRAL, TYPE3_USER };
  struct Case {
    const char* m_pszWhat;
    bool m_bNoticesOn;
    Setup m_setup;
    uint32_t m_uQuestion;  // 0: nothing asked
    ScreenSizePreset m_iAnswer;
    bool m_bUsePreset;
  };
  const Case cases[] = {
      {"preset exists", true, WIDE, 57681, PRESET_WIDE, false},
      {"only NORMAL", true, NORMAL_ONLY, 57681, PRESET_NORMAL, false},
      {"nothing at all", true, NOTHING, 57715, PRESET_NONE, true},
      {"a user calibration", true, USER, 57716, PRESET_NONE, false},
      {"stored but neutral", true, USER_NEUTRAL, 57715, PRESET_NONE, true},
      {"type 3 ignores user values", true, TYPE3_USER, 57715, PRESET_NONE, true},
      {"notices off, a preset", false, WIDE, 57681, PRESET_WIDE, false},
      {"notices off, nothing", false, NOTHING, 57715, PRESET_NONE, true},
      {"notices off, user values", false, USER, 0, PRESET_NONE, false},
  };
  ModelEntry type3;
  SetFixedText(type3.m_szName, "VT-R800A");
  SetFixedText(type3.m_szRegistry, "\\VT-R800A");
  type3.m_uModelType = MODEL_TYPE_FIRMWARE_3;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.m_pszWhat);
    m_window.reset();
    m_shell.reset();
    m_views = test::CFakeAppViews();
    m_registry.DeleteKey(RegistryHive::LOCAL_MACHINE, "SOFTWARE");
    m_registry.DeleteKey(RegistryHive::CURRENT_USER, "SOFTWARE");
    m_display.m_uWidth = 1920;
    m_display.m_uHeight = 1080;
    Start();
    if (c.m_setup == TYPE3_USER) m_shell->SetCurrentModel(&type3);
    m_shell->Settings().SetCalibDisp(c.m_bNoticesOn ? 1 : 0);
    if (c.m_setup == WIDE) PutPreset("1280_1024", "WIDE", 1.1, 1.2, 3, 4);
    if (c.m_setup == NORMAL_ONLY) PutPreset("1280_1024", "NORMAL", 1.3, 1.0, 5, 6);
    if (c.m_setup == USER || c.m_setup == TYPE3_USER) PutUser(1280, 1024, {1.5, 0.5, -12.5, 7});
    if (c.m_setup == USER_NEUTRAL) PutUser(1280, 1024, {1, 1, 0, 0});
    Change(1280, 1024);
    ExpectShown(c.m_uQuestion != 0);
    if (c.m_uQuestion != 0) {
      EXPECT_EQ(View().m_sText, Question(c.m_uQuestion, "1280X1024"));
      EXPECT_EQ(Notice().AnswerPreset(), c.m_iAnswer);
      EXPECT_EQ(Notice().AnswerUsePreset(), c.m_bUsePreset);
      EXPECT_EQ(Notice().PendingSize(), (DisplaySize{1280, 1024}));
      EXPECT_EQ(CalibrationsSent(), 0u);
    } else {
      // Applied and saved again without a word.
      EXPECT_EQ(Store().Current().m_dRatioX, 1.5);
      EXPECT_EQ(Store().Current().m_dOffsetX, -12.5);
      EXPECT_EQ(CalibrationsSent(), 1u);
      EXPECT_EQ(UserValue(1280, 1024, "CalibOffsetY"), "7.000000");
      EXPECT_EQ(Notice().AcceptedSize(), (DisplaySize{1280, 1024}));
      EXPECT_TRUE(m_boxes.m_shown.empty());
    }
  }
}

TEST_F(ChangeDisplayTest, TheTextShowsTheSizeAndSurvivesStrayConversions) {
  Change(1280, 1024);
  EXPECT_NE(View().m_sText.find("(Current resolution is 1280X1024.)"), std::string::npos);
  EXPECT_EQ(View().m_sText.find("%"), std::string::npos);
  // A language module's text with a wrong conversion takes nothing it was not given.
  EXPECT_EQ(CChangeDisplayDlg::Compose("a %s b %d %s", "%dX%d", {800, 600}), "a 800X600 b  ");
  EXPECT_EQ(CChangeDisplayDlg::Compose("%s", "%sx%s%n", {800, 600}), "800x600%n");
}

TEST_F(ChangeDisplayTest, BackWithinTheSettlePeriodTakesTheQuestionAway) {
  Change(1280, 1024);
  ExpectShown(true);
  AdvanceSettle(30000);
  // The same size reported again is not a new change: the period runs on.
  Change(1280, 1024);
  EXPECT_TRUE(View().Running(CChangeDisplayDlg::TIMER_SETTLE));
  EXPECT_EQ(Notice().AcceptedSize(), (DisplaySize{1920, 1080}));
  Change(1920, 1080);
  ExpectShown(false);
  EXPECT_FALSE(View().Running(CChangeDisplayDlg::TIMER_SETTLE));
  EXPECT_EQ(Notice().AcceptedSize(), (DisplaySize{1920, 1080}));
  EXPECT_EQ(CalibrationsSent(), 0u);
  // Yes now does nothing: nothing is shown.
  Notice().OnYes();
  EXPECT_TRUE(m_views.m_view.m_posted.empty());
}

TEST_F(ChangeDisplayTest, AfterSixtySecondsThePendingSizeIsAccepted) {
  // Near the tick count's wrap, where a signed difference would go wrong.
  m_clock.Advance(0xFFFFFFFFu - 20000);
  Change(1280, 1024);
  EXPECT_EQ(View().m_timers[CChangeDisplayDlg::TIMER_SETTLE], 5000u);
  for (int i = 0; i < 11; ++i) AdvanceSettle(5000);
  EXPECT_EQ(Notice().PendingSize(), (DisplaySize{1280, 1024}));
  AdvanceSettle(5000);
  EXPECT_FALSE(View().Running(CChangeDisplayDlg::TIMER_SETTLE));
  EXPECT_EQ(Notice().AcceptedSize(), (DisplaySize{1280, 1024}));
  EXPECT_EQ(Notice().PendingSize(), DisplaySize{});
  ExpectShown(true);  // the question waits for its answer
  // Going back now is a change like any other.
  Change(1920, 1080);
  EXPECT_EQ(View().m_sText, Question(57715, "1920X1080"));
}

TEST_F(ChangeDisplayTest, NothingHappensWhileTheSettingsWindowIsOpen) {
  m_windows.m_byName["Screen resolution"] = 77;
  Change(1280, 1024);
  for (int i = 0; i < 50; ++i) TickWait();
  ExpectShown(false);
  EXPECT_TRUE(View().Running(CChangeDisplayDlg::TIMER_WAIT));
  m_windows.m_byName.clear();
  TickWait();
  ExpectShown(true);
  EXPECT_FALSE(View().Running(CChangeDisplayDlg::TIMER_WAIT));
  // The user chose that size: settled at once, no settle period.
  EXPECT_EQ(Notice().AcceptedSize(), (DisplaySize{1280, 1024}));
  EXPECT_FALSE(View().Running(CChangeDisplayDlg::TIMER_SETTLE));
  EXPECT_EQ(CChangeDisplayDlg::SettingsTitleId(16), 57727u);
  EXPECT_EQ(CChangeDisplayDlg::SettingsTitleId(15), 57732u);
  EXPECT_EQ(CChangeDisplayDlg::SettingsTitleId(14), 57726u);
}

TEST_F(ChangeDisplayTest, ASecondChangeReplacesTheQuestionAndAcceptsTheFirst) {
  Change(1280, 1024);
  Change(1024, 768);
  ExpectShown(true);
  EXPECT_EQ(View().m_iShows, 1);
  EXPECT_EQ(View().m_sText, Question(57715, "1024X768"));
  EXPECT_EQ(Notice().AcceptedSize(), (DisplaySize{1280, 1024}));
  EXPECT_EQ(Notice().PendingSize(), (DisplaySize{1024, 768}));
}

TEST_F(ChangeDisplayTest, ABurstOfChangesAsksOnceForTheLastSize) {
  const DisplaySize sizes[] = {{1280, 1024}, {1024, 768}, {1600, 900}, {1920, 1080}};
  for (int i = 0; i < 19; ++i) {
    const DisplaySize s = sizes[i % 4];
    m_display.m_uWidth = s.m_uWidth;
    m_display.m_uHeight = s.m_uHeight;
    Notice().OnDisplayChange(s.m_uWidth, s.m_uHeight);
  }
  Change(800, 600);
  EXPECT_EQ(View().m_starts[CChangeDisplayDlg::TIMER_WAIT], 1u);
  EXPECT_EQ(View().m_iShows, 1);
  EXPECT_EQ(View().m_sText, Question(57715, "800X600"));
}

TEST_F(ChangeDisplayTest, SelectionOpenTellsTheUserOnceAndSettles) {
  m_window->SetSelectionOpen(true);
  // More changes arrive while the box is up.
  m_boxes.m_whileUp = [this] {
    for (int i = 0; i < 19; ++i) Notice().OnDisplayChange(1024 + i, 768);
  };
  Change(1280, 1024);
  ASSERT_EQ(m_boxes.m_shown.size(), 1u);
  EXPECT_EQ(m_boxes.m_shown[0].first, m_shell->Text(57685));
  EXPECT_EQ(m_boxes.m_shown[0].second, MBF_ICON_HAND | MBF_SET_FOREGROUND | MBF_TOPMOST);
  ExpectShown(false);
  EXPECT_FALSE(View().Running(CChangeDisplayDlg::TIMER_WAIT));
  EXPECT_EQ(Notice().AcceptedSize(), (DisplaySize{1042, 768}));
}

TEST_F(ChangeDisplayTest, DriverOffSettlesSilently) {
  Change(1280, 1024);
  ExpectShown(true);
  m_window->SwitchDriver(false);  // the icon update checks the driver state
  ExpectShown(false);
  EXPECT_FALSE(View().Running(CChangeDisplayDlg::TIMER_SETTLE));
  Change(1024, 768);
  ExpectShown(false);
  EXPECT_EQ(Notice().AcceptedSize(), (DisplaySize{1024, 768}));
  EXPECT_FALSE(View().Running(CChangeDisplayDlg::TIMER_WAIT));
}

TEST_F(ChangeDisplayTest, UnusableSizesAskNothing) {
  for (const DisplaySize s : {DisplaySize{0, 0}, DisplaySize{70000, 1024}, DisplaySize{1280, 65536}}) {
    Change(s.m_uWidth, s.m_uHeight);
    ExpectShown(false);
  }
}

TEST_F(ChangeDisplayTest, YesStartsTheCalibrationCommandUnlessTheSelectionIsOpen) {
  const struct {
    bool m_bDriverOn, m_bSelectionOpen, m_bPosted;
  } cases[] = {{true, false, true}, {true, true, false}, {false, false, false}};
  for (const auto& c : cases) {
    m_views.m_view.m_posted.clear();
    Change(1280, 1024);
    ASSERT_TRUE(Notice().Shown());
    m_window->SetSelectionOpen(c.m_bSelectionOpen);
    if (!c.m_bDriverOn) m_window->SwitchDriver(false);
    Notice().OnYes();
    ExpectShown(false);
    EXPECT_EQ(Notice().AcceptedSize(), (DisplaySize{1280, 1024}));
    EXPECT_EQ(m_views.m_view.m_posted, c.m_bPosted ? std::vector<uint32_t>{57401}
                                                  : std::vector<uint32_t>{});
    m_window->SetSelectionOpen(false);
    m_window->SwitchDriver(true);
    Change(1920, 1080);
    Notice().OnNo();
  }
}

TEST_F(ChangeDisplayTest, NoAppliesWhatTheQuestionPromised) {
  struct Case {
    const char* m_pszWhat;
    bool m_bPreset, m_bUser;
    CalibrationValues m_expected;
    ScreenSizePreset m_iOsdMode;
  };
  const Case cases[] = {
      {"the preset", true, true, {1.25, 1.0, 3.0, 4.0}, PRESET_WIDE},
      {"neutral values", false, false, {1, 1, 0, 0}, 2},
      {"the user calibration", false, true, {1.5, 0.5, -12.5, 7}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.m_pszWhat);
    m_registry.DeleteKey(RegistryHive::LOCAL_MACHINE, "SOFTWARE");
    m_registry.DeleteKey(RegistryHive::CURRENT_USER, "SOFTWARE");
    Store().LoadPresetTable();
    m_shell->Settings().SetOsdMode(2);
    if (c.m_bPreset) PutPreset("1280_1024", "WIDE", 1.25, 1.0, 3, 4);
    if (c.m_bUser) PutUser(1280, 1024, {1.5, 0.5, -12.5, 7});
    Store().Current() = {9, 9, 9, 9};
    const size_t before = CalibrationsSent();
    Change(1280, 1024);
    Notice().OnNo();
    ExpectShown(false);
    EXPECT_EQ(CalibrationsSent(), before + 1);
    EXPECT_DOUBLE_EQ(Store().Current().m_dRatioX, c.m_expected.m_dRatioX);
    EXPECT_DOUBLE_EQ(Store().Current().m_dRatioY, c.m_expected.m_dRatioY);
    EXPECT_DOUBLE_EQ(Store().Current().m_dOffsetX, c.m_expected.m_dOffsetX);
    EXPECT_DOUBLE_EQ(Store().Current().m_dOffsetY, c.m_expected.m_dOffsetY);
    EXPECT_EQ(UserValue(1280, 1024, "CalibRatioX"), CCalibrationStore::FormatValue(c.m_expected.m_dRatioX));
    EXPECT_EQ(m_shell->Settings().GetOsdMode(), c.m_iOsdMode);
    Change(1920, 1080);
    Notice().OnNo();
  }
}

TEST_F(ChangeDisplayTest, NoThatCannotReachTheDriverLosesTheDevice) {
  PutPreset("1280_1024", "WIDE", 1.25, 1.0, 3, 4);
  m_shell->Settings().SetOsdMode(2);
  Change(1280, 1024);
  m_pipes.m_uReadResult = 233;  // the service went away
  Notice().OnNo();
  EXPECT_FALSE(m_window->DriverOn());
  EXPECT_EQ(m_views.m_guides, std::vector<int>{0});
  EXPECT_EQ(m_shell->Settings().GetOsdMode(), 2);
  EXPECT_EQ(UserValue(1280, 1024, "CalibRatioX"), "<absent>");
}

TEST_F(ChangeDisplayTest, SilentApplyThatFailsKeepsThePreviousValues) {
  m_shell->Settings().SetCalibDisp(0);
  PutUser(1280, 1024, {1.5, 0.5, -12.5, 7});
  Store().Current() = {1.1, 1.2, 1.3, 1.4};
  m_pipes.m_uReadResult = 233;
  Change(1280, 1024);
  ExpectShown(false);
  EXPECT_TRUE(m_boxes.m_shown.empty());
  EXPECT_DOUBLE_EQ(Store().Current().m_dRatioX, 1.1);
  EXPECT_DOUBLE_EQ(Store().Current().m_dOffsetY, 1.4);
}

TEST_F(ChangeDisplayTest, RotationRefreshesTheAnswersButNotTheText) {
  Change(1280, 1024);
  const std::string asked = View().m_sText;
  EXPECT_EQ(Notice().AnswerPreset(), PRESET_NONE);
  PutPreset("1280_1024", "NORMAL", 1, 1, 0, 0);
  m_window->Keys().OnHotKey(1);  // the easy change moves its cursor past NORMAL
  ASSERT_EQ(m_window->Keys().RotatingIndex(), 2);
  Notice().RefreshAnswers();
  EXPECT_EQ(Notice().AnswerPreset(), PRESET_NORMAL);
  EXPECT_FALSE(Notice().AnswerUsePreset());
  EXPECT_EQ(View().m_sText, asked);
  EXPECT_EQ(m_window->Keys().RotatingIndex(), 0);
}

TEST_F(ChangeDisplayTest, ARotationRefreshesTheAnswersOnlyWhenItWorked) {
  PutPreset("1920_1080", "NORMAL", 1, 1, 0, 0);
  m_window->Keys().OnHotKey(1);
  ASSERT_EQ(m_window->Keys().RotatingIndex(), 2);
  m_boxes.m_iYesNo = MBR_YES;
  m_pipes.m_uReadResult = 233;
  m_window->Commands().OnCommand(57408);  // 90 degrees, the driver gone
  EXPECT_EQ(m_window->Keys().RotatingIndex(), 2);
  m_pipes.m_uReadResult = 0;
  m_window->SwitchDriver(true);
  m_window->Commands().OnCommand(57408);
  EXPECT_EQ(m_window->Keys().RotatingIndex(), 0);
  EXPECT_EQ(Notice().AnswerPreset(), PRESET_NORMAL);
}

TEST_F(ChangeDisplayTest, ClosingTheWindowStopsTheTimers) {
  Change(1280, 1024);
  ASSERT_TRUE(View().Running(CChangeDisplayDlg::TIMER_SETTLE));
  Notice().OnDisplayChange(1024, 768);
  m_window->OnClose();
  EXPECT_TRUE(View().m_timers.empty());
}

}  // namespace
}  // namespace kv
